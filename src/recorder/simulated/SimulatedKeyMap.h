#pragma once

#include <cstdint>
#include <string>

namespace tvk {

// The keyboard of the simulated backend: a US layout whose scan codes equal the virtual-key
// codes of the keys it has (every key with a US character or a fixed name), named as on Windows.
class SimulatedKeyMap {
public:
    // Scan code of virtual key vk, 0 when this keyboard has no such key.
    static uint32_t scanCodeOf(int32_t vk);
    // Name of the key with scan code `scan`, empty when there is none.
    static std::string nameOfScanCode(uint32_t scan);
};

} // namespace tvk
