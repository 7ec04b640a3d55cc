#include "recorder/CommandKeyFilter.h"

#include "recorder/VirtualKeys.h"

#include <algorithm>
#include <utility>

namespace tvk {

namespace {

bool anyDown(const KeyStateTable& now, std::initializer_list<int32_t> codes) {
    return std::any_of(codes.begin(), codes.end(), [&](int32_t code) { return now[static_cast<size_t>(code)]; });
}

} // namespace

void CommandKeyFilter::begin(const KeyStateTable& held, const std::vector<int32_t>& startKeys) {
    m_hidden = {};
    for (const int32_t k : startKeys) {
        if (k >= 0 && k <= 255 && held[static_cast<size_t>(k)]) m_hidden[static_cast<size_t>(k)] = true;
    }
}

bool CommandKeyFilter::leavesOut(int32_t k, bool down, const KeyStateTable& now) {
    if (k < 0 || k > 255) return false;
    bool& hidden = m_hidden[static_cast<size_t>(k)];
    if (!down) return std::exchange(hidden, false);
    if (hidden || isCommand(k, now)) hidden = true;
    return hidden;
}

void CommandKeyFilter::hide(int32_t k) {
    if (k >= 0 && k <= 255) m_hidden[static_cast<size_t>(k)] = true;
}

bool CommandKeyFilter::isCommand(int32_t k, const KeyStateTable& now) const {
    // The hotkey is grabbed for exactly its modifiers: with a Windows key also down it is not the command.
    if (anyDown(now, {vk::LWin, vk::RWin})) return false;
    uint32_t modifiers = 0;
    if (anyDown(now, {vk::Shift, vk::LShift, vk::RShift})) modifiers |= modifier::Shift;
    if (anyDown(now, {vk::Control, vk::LControl, vk::RControl})) modifiers |= modifier::Control;
    if (anyDown(now, {vk::Menu, vk::LMenu, vk::RMenu})) modifiers |= modifier::Alt;
    return std::any_of(m_combinations.begin(), m_combinations.end(),
                       [&](const Combination& c) { return c.vk == k && c.modifiers == modifiers; });
}

} // namespace tvk
