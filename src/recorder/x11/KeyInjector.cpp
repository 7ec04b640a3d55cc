#include "recorder/x11/KeyInjector.h"

#include "recorder/VirtualKeys.h"

#include <algorithm>

namespace tvk {

bool KeyInjector::keycodeHeld(int keycode) const {
    return std::any_of(m_boundKeycode.begin(), m_boundKeycode.end(), [&](uint8_t kc) { return kc == keycode; });
}

void KeyInjector::press(const Keyboard& keyboard, int32_t code, int keycode) {
    if (keycode <= 0 || keycode > 255) return;
    const bool held = keycodeHeld(keycode);
    m_boundKeycode[static_cast<size_t>(code)] = static_cast<uint8_t>(keycode);
    if (!held) keyboard.emit(keycode, true);
}

void KeyInjector::flush(const Keyboard& keyboard) {
    auto pending = std::move(m_pending);
    m_pending.clear();
    for (int32_t code : pending)
        press(keyboard, code, keyboard.keycodeOf(code));
}

void KeyInjector::key(const Keyboard& keyboard, int32_t code, bool down) {
    if (code < 0 || code > 255) return;
    const auto slot = static_cast<size_t>(code);
    if (!down) {
        flush(keyboard);
        const int keycode = m_boundKeycode[slot] != 0 ? m_boundKeycode[slot] : keyboard.keycodeOf(code);
        m_boundKeycode[slot] = 0;
        if (keycode > 0 && keycode <= 255 && !keycodeHeld(keycode)) keyboard.emit(keycode, false);
        return;
    }
    if (m_boundKeycode[slot] != 0 || std::find(m_pending.begin(), m_pending.end(), code) != m_pending.end()) return;

    const bool altGr = keyboard.rightAltIsAltGr;
    if (vk::genericOf(code) == 0 && code >= vk::Shift && code <= vk::Menu) {
        m_pending.push_back(code); // a generic modifier: its sided code may follow
        return;
    }
    if (code == vk::LControl && altGr) {
        m_pending.push_back(code); // right Alt may follow: then the two are AltGr
        return;
    }

    const int keycode = keyboard.keycodeOf(code);
    if (const int32_t generic = vk::genericOf(code); generic != 0 && keycode > 0 && keycode <= 255) {
        // The waiting presses this sided key completes ride on its key; other modifiers keep waiting.
        const auto joins = [&](int32_t waiting) {
            if (waiting == generic) return true;
            return code == vk::RMenu && altGr && (waiting == vk::Control || waiting == vk::LControl);
        };
        const bool held = keycodeHeld(keycode); // were it down already, pressing again would repeat it
        for (int32_t waiting : m_pending) {
            if (joins(waiting)) m_boundKeycode[static_cast<size_t>(waiting)] = static_cast<uint8_t>(keycode);
        }
        std::erase_if(m_pending, joins);
        m_boundKeycode[slot] = static_cast<uint8_t>(keycode);
        if (!held) keyboard.emit(keycode, true);
        return;
    }
    flush(keyboard);
    press(keyboard, code, keycode);
}

std::vector<int32_t> KeyInjector::heldKeys() const {
    std::vector<int32_t> out(m_pending.begin(), m_pending.end());
    for (int32_t code = 0; code <= 255; ++code) {
        if (m_boundKeycode[static_cast<size_t>(code)] != 0) out.push_back(code);
    }
    return out;
}

} // namespace tvk
