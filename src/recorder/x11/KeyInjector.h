#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace tvk {

// Turns key presses and releases by virtual-key code, as recordings hold them, into presses and
// releases of X key codes. Recordings made the Windows way press a generic modifier together with
// its sided code (Shift with left Shift) and AltGr as left Ctrl with right Alt; such a chord
// becomes one key: a generic or left-Ctrl press waits until the next key event shows whether it
// belongs to a chord. A key goes down with the first code that presses it and up with the last.
class KeyInjector {
public:
    struct Keyboard {
        std::function<int(int32_t vk)> keycodeOf; // 0 when nothing injects vk
        bool rightAltIsAltGr = false;
        std::function<void(int keycode, bool press)> emit;
    };

    // One press or release of vk (0..255).
    void key(const Keyboard& keyboard, int32_t vk, bool press);
    // Injects the presses that wait for a chord; call before any other input is injected.
    void flush(const Keyboard& keyboard);
    bool hasPending() const { return !m_pending.empty(); }
    // Virtual keys pressed and not yet released, waiting ones included.
    std::vector<int32_t> heldKeys() const;

private:
    void press(const Keyboard& keyboard, int32_t vk, int keycode);
    bool keycodeHeld(int keycode) const;

    std::array<uint8_t, 256> m_boundKeycode{}; // the key code each pressed vk holds down
    std::vector<int32_t> m_pending;            // presses waiting for the rest of a chord
};

} // namespace tvk
