#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace tvk {

// A screen position in pixels.
struct CursorPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const CursorPoint&, const CursorPoint&) = default;
};

// Button flags of mouseEvent and the key-up flag of keybdEvent, in the values event files rely on.
namespace mouse {
inline constexpr uint32_t LeftDown = 0x0002;
inline constexpr uint32_t LeftUp = 0x0004;
inline constexpr uint32_t RightDown = 0x0008;
inline constexpr uint32_t RightUp = 0x0010;
inline constexpr uint32_t MiddleDown = 0x0020;
inline constexpr uint32_t MiddleUp = 0x0040;
inline constexpr uint32_t XDown = 0x0080;
inline constexpr uint32_t XUp = 0x0100;
} // namespace mouse
inline constexpr uint32_t KeyEventKeyUp = 0x0002;

// One key state per virtual-key code 0..255; a negative entry (top bit set) means down.
using KeyStateTable = std::array<int16_t, 256>;

// The input and timing services recording, replay and key naming rest on. One instance per
// platform; every call is synchronous on the caller's thread. Key codes are Windows virtual-key
// codes on every platform so that event files stay interchangeable.
class InputBackend {
public:
    virtual ~InputBackend() = default;

    // State of virtual key vk: top bit set while the key or button is down; 0 outside 1..254.
    virtual int16_t asyncKeyState(int32_t vk) = 0;
    // One poll of every key: entry k = asyncKeyState(k) for k = 1..254, entries 0 and 255 zero.
    // Backends that latch short taps count one call as one poll.
    virtual void readKeyStates(KeyStateTable& states);
    // Starts a run of polls: input seen before is history, and the next poll reports the present
    // state only (a backend that latches short taps forgets what it latched while nobody polled).
    virtual void beginPolling() {}
    // Presses since beginPolling of keys that have no virtual-key code and so cannot be recorded.
    virtual int32_t unrecordableKeyPresses() { return 0; }

    virtual CursorPoint cursorPos() = 0;
    virtual void setCursorPos(int32_t x, int32_t y) = 0;
    // One button press or release at the cursor (flags from `mouse`; data 1 or 2 picks the extra button).
    virtual void mouseEvent(uint32_t flags, int32_t data) = 0;
    // One key press (flags 0) or release (KeyEventKeyUp) of virtual key vk.
    virtual void keybdEvent(uint8_t vk, uint8_t scan, uint32_t flags) = 0;

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

    // Scan code of virtual key `code` for mapType 0, 0 when the key has none (other map types: 0).
    virtual uint32_t mapVirtualKey(uint32_t code, uint32_t mapType) = 0;
    // Name of the key whose scan code is in bits 16..23 of lParam; empty when it has none.
    virtual std::string keyNameText(int32_t lParam) = 0;

private:
    std::function<void()> m_yield;
};

} // namespace tvk
