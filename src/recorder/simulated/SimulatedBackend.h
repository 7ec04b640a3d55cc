#pragma once

#include "recorder/InputBackend.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace tvk {

// An input backend with a virtual clock for deterministic tests. Sleeping advances the clock;
// scripted key and cursor changes take effect when the clock reaches them; actions scheduled for
// a moment run inside the first yield at or after it, the way window handlers run inside a yield.
// Injections change the simulated state (an injected press holds the key down) and are logged.
// Sided modifiers behave as on Windows: a generic Shift/Ctrl/Alt reads as down while either side
// is, and injecting the generic code presses the left one.
class SimulatedBackend : public InputBackend {
public:
    using Nanos = std::chrono::nanoseconds;

    struct Injection {
        enum class Kind { Key, Button, Cursor };
        Kind kind = Kind::Key;
        Nanos at{0};        // virtual time of the injection
        int32_t code = 0;   // Key: the virtual key
        uint32_t flags = 0; // Key and Button: the flags passed
        int32_t data = 0;   // Button: the extra data passed
        CursorPoint pos;    // Button and Cursor: the cursor position
    };

    int16_t asyncKeyState(int32_t vk) override;
    CursorPoint cursorPos() override;
    void setCursorPos(int32_t x, int32_t y) override;
    void mouseEvent(uint32_t flags, int32_t data) override;
    void keybdEvent(uint8_t vk, uint8_t scan, uint32_t flags) override;
    int32_t tickCount() override;
    Nanos monotonicNow() override { return m_now; }
    void sleep(int32_t ms) override;
    void sleepUntil(Nanos deadline) override;
    void yield() override;
    uint32_t mapVirtualKey(uint32_t code, uint32_t mapType) override;
    std::string keyNameText(int32_t lParam) override;
    void beginPolling() override { m_unmappedPresses = 0; }
    int32_t unrecordableKeyPresses() override { return m_unmappedPresses; }

    // ---- Test control ----
    // Tick count at virtual time 0 (the tick count wraps as a real one does).
    void setTickBase(int32_t tick) { m_tickBase = tick; }
    // Moves the clock forward, applying the scripted changes that fall due.
    void advance(Nanos by);
    void scheduleKey(int64_t atMs, int32_t vk, bool down);
    void scheduleCursor(int64_t atMs, int32_t x, int32_t y);
    void scheduleAction(int64_t atMs, std::function<void()> action);
    // Immediate changes of the simulated user's input (not logged as injections).
    void setKeyDown(int32_t vk, bool down);
    void setCursor(int32_t x, int32_t y) { m_cursor = {x, y}; }
    // A press of a key that has no virtual-key code.
    void pressUnmappedKey() { ++m_unmappedPresses; }
    // Every sleep that waits at all lasts this much longer than asked; every yield takes this long.
    void setSleepOvershoot(Nanos extra) { m_overshoot = extra; }
    void setYieldCost(Nanos cost) { m_yieldCost = cost; }

    const std::vector<Injection>& injections() const { return m_injections; }
    void clearInjections() { m_injections.clear(); }
    // Virtual time at which each sleep returned, and how many yields ran.
    const std::vector<Nanos>& sleepEnds() const { return m_sleepEnds; }
    int yieldCount() const { return m_yields; }

private:
    struct Scheduled {
        Nanos at;
        uint64_t order;
        int kind; // 0 key, 1 cursor, 2 action
        int32_t a = 0, b = 0;
        std::function<void()> action;
    };
    void schedule(Scheduled item);
    void applyDueChanges();
    void setPhysical(int32_t vk, bool down);

    Nanos m_now{0};
    int32_t m_tickBase = 0;
    Nanos m_overshoot{0};
    Nanos m_yieldCost{0};
    std::array<bool, 256> m_down{};
    CursorPoint m_cursor;
    std::vector<Scheduled> m_timeline; // sorted by (at, order)
    uint64_t m_nextOrder = 0;
    std::vector<Injection> m_injections;
    std::vector<Nanos> m_sleepEnds;
    int m_yields = 0;
    int32_t m_unmappedPresses = 0;
};

} // namespace tvk
