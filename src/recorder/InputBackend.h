#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tvk {

// A screen position in pixels.
struct CursorPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const CursorPoint&, const CursorPoint&) = default;
};

// Entry k is true while virtual key k (a key or a mouse button) is down.
using KeyStateTable = std::array<bool, 256>;

// Modifier bits of a hotkey, in the order key values carry them in bits 8 to 15.
namespace modifier {
inline constexpr uint32_t Shift = 1, Control = 2, Alt = 4;
} // namespace modifier

enum class WheelAxis { Vertical, Horizontal };

// Wheel turns in 120ths of a notch (positive: away from the user, or to the right).
struct WheelTurns {
    int32_t vertical = 0;
    int32_t horizontal = 0;
};

// How grabbing a global hotkey ended.
enum class HotkeyGrab { Grabbed, Taken, NoSuchKey, Unsupported };

// The input and timing services recording, replay and key naming rest on, in neutral terms.
// One instance per platform; every call is synchronous on the caller's thread. Keys and mouse
// buttons are named by Windows virtual-key codes on every platform (buttons: 1 left, 2 right,
// 4 middle, 5 and 6 the side buttons), so that event files stay interchangeable.
// Each backend folder (x11/, simulated/) holds the same files: <Name>Backend.h to create it, the
// backend class, and <Name>KeyMap linking virtual keys to the platform's keys and their names.
class InputBackend {
public:
    virtual ~InputBackend() = default;

    // Connects to the platform's input services unless done; false with the reason when they are
    // unavailable. Other calls connect on first use; a backend that cannot reads nothing down,
    // injects nothing and names no key.
    virtual bool start(std::string* whyNot) {
        (void)whyNot;
        return true;
    }

    // ---- Reading input ----
    // True while virtual key vk (key or button) is down; false outside 1..254.
    virtual bool isDown(int32_t vk) = 0;
    // One poll of every key: entry k = isDown(k) for k = 1..254, entries 0 and 255 false.
    // Backends that latch short taps count one call as one poll.
    virtual void readKeyStates(KeyStateTable& states);
    // Starts a run of polls: input seen before is history, and the next poll reports the present
    // state only (a backend that latches short taps forgets what it latched while nobody polled).
    virtual void beginPolling() {}
    // When the change of vk that the last poll reported happened, on the clock of tickCount;
    // false when the platform does not know (the change is then as old as the poll).
    virtual bool changeTick(int32_t vk, int32_t& tick) {
        (void)vk;
        (void)tick;
        return false;
    }
    // The user's wheel turns since the last call (or beginPolling), each axis summed.
    virtual WheelTurns takeWheelTurns() { return {}; }
    // Presses since beginPolling of keys that have no virtual-key code and so cannot be recorded.
    virtual int32_t unrecordableKeyPresses() { return 0; }

    virtual CursorPoint cursorPos() = 0;
    // Presses of vk that this backend did not inject (the user's own), counted since it started.
    virtual uint64_t userPressCount(int32_t vk) = 0;

    // ---- Injecting input ----
    // Presses (down) or releases key vk; codes without a key on this platform do nothing.
    virtual void sendKey(int32_t vk, bool down) = 0;
    // Presses or releases mouse button vk (1, 2, 4, 5, 6) at the cursor; other codes do nothing.
    virtual void sendButton(int32_t vk, bool down) = 0;
    virtual void moveCursor(int32_t x, int32_t y) = 0;
    // Turns the wheel by delta 120ths of a notch (positive: away from the user, or to the right).
    virtual void turnWheel(WheelAxis axis, int32_t delta) = 0;
    // Returns once the platform has taken in everything injected so far, so that a request made
    // elsewhere afterwards (a window taking the focus) cannot overtake it.
    virtual void settle() {}

    // ---- Keys ----
    // Scan code of the key that types vk, 0 when it has none.
    virtual uint32_t scanCode(int32_t vk) = 0;
    // Name of the key with scan code `scan` ("A", "Enter", "Num 5"), empty when there is none.
    virtual std::string keyName(uint32_t scan) = 0;

    // ---- Global hotkeys ----
    // Reserves vk with the `modifier` bits for this program whichever window has the focus; its
    // presses are then reported by takeHotkeyPresses under `id` (a grabbed id is replaced).
    virtual HotkeyGrab grabHotkey(int32_t id, int32_t vk, uint32_t modifiers);
    // Gives every grabbed hotkey back.
    virtual void releaseHotkeys() {}
    // Ids of the hotkeys pressed since the last call, in order.
    virtual std::vector<int32_t> takeHotkeyPresses() { return {}; }

    // ---- Time ----
    // Milliseconds of the monotonic clock, wrapping at 32 bits.
    virtual int32_t tickCount() = 0;
    // The monotonic clock at full resolution, for deadlines.
    virtual std::chrono::nanoseconds monotonicNow() = 0;
    virtual void sleep(int32_t ms) = 0;
    // Returns at the deadline of monotonicNow(), at once when it has passed.
    virtual void sleepUntil(std::chrono::nanoseconds deadline) = 0;

    // Processes pending window messages through the handler set by setYield (nothing without one).
    virtual void yield();
    void setYield(std::function<void()> handler) { m_yield = std::move(handler); }

private:
    std::function<void()> m_yield;
};

} // namespace tvk
