#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tvk {

// The link between X key codes and virtual-key codes for the current keyboard map. Fixed keys
// (modifiers, function, navigation, keypad) are found by their XKB key names, which hold on
// every layout; character keys by the keysym their first level types in the current layout,
// falling back to the key's US position. Scan codes are X key codes minus 8 (the kernel's codes).
class X11KeyMap {
public:
    // Virtual keys driven by key code kc (a sided modifier drives its generic code too).
    const std::vector<uint8_t>& virtualKeysOf(int kc) const;
    // The key code that injects virtual key vk, 0 when none.
    int keycodeOf(int32_t vk) const;
    // Name of the key with scan code `scan` ("A", "Enter", "Num 5"), empty when unknown.
    const std::string& nameOfScanCode(int scan) const;
    int scanCodeOf(int32_t vk) const;

    // Adds key code kc (8..255) with its XKB key name (aliases resolved) and first-level keysym.
    void assign(int kc, const std::string& xkbName, unsigned long keysym);

private:
    std::array<std::vector<uint8_t>, 256> m_vks;
    std::array<uint8_t, 256> m_keycodes{};
    std::array<std::string, 256> m_names;
};

// The text a keysym types (UTF-8, upper case), empty for keysyms that type nothing.
std::string keysymText(unsigned long keysym);

} // namespace tvk
