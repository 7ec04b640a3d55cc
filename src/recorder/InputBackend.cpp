#include "recorder/InputBackend.h"

namespace tvk {

void InputBackend::readKeyStates(KeyStateTable& states) {
    states.fill(false);
    for (int32_t vk = 1; vk <= 254; ++vk)
        states[static_cast<size_t>(vk)] = isDown(vk);
}

HotkeyGrab InputBackend::grabHotkey(int32_t, int32_t, uint32_t) {
    return HotkeyGrab::Unsupported;
}

void InputBackend::yield() {
    // Copied so that a handler replacing the yield function does not destroy the running one.
    auto handler = m_yield;
    if (handler) handler();
}

} // namespace tvk
