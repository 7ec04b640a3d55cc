#include "recorder/simulated/SimulatedKeyMap.h"

#include "recorder/KeyNames.h"

namespace tvk {

uint32_t SimulatedKeyMap::scanCodeOf(int32_t vk) {
    if (vk < 0 || vk > 255) return 0;
    return (usLayoutCharacter(vk) != 0 || !fixedKeyName(vk).empty()) ? static_cast<uint32_t>(vk) : 0;
}

std::string SimulatedKeyMap::nameOfScanCode(uint32_t scan) {
    if (scan == 0 || scan > 255) return {};
    const auto code = static_cast<int32_t>(scan);
    if (const char ch = usLayoutCharacter(code)) return std::string(1, ch);
    return fixedKeyName(code);
}

} // namespace tvk
