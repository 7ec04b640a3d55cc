#pragma once

#include "recorder/InputBackend.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace tvk {

// An input backend with a virtual clock for deterministic tests. Sleeping advances the clock;
// scripted key and cursor changes (the simulated user) take effect when the clock reaches them;
// actions scheduled for a moment run inside the first yield at or after it, the way window
// handlers run inside a yield. Injections change the simulated state (an injected press holds
// the key down) and are logged. Sided modifiers behave as on Windows: a generic Shift/Ctrl/Alt
// reads as down while either side is, and injecting the generic code presses the left one.
// A user press of a grabbed hotkey's key while exactly its modifiers are down reports the hotkey.
class SimulatedBackend : public InputBackend {
public:
    using Nanos = std::chrono::nanoseconds;

    struct Injection {
        enum class Kind { Key, Button, Cursor, Wheel };
        Kind kind = Kind::Key;
        Nanos at{0};      // virtual time of the injection
        int32_t code = 0; // Key and Button: the virtual key
        bool down = false;
        int32_t delta = 0; // Wheel: 120ths of a notch
        WheelAxis axis = WheelAxis::Vertical;
        CursorPoint pos; // the cursor position
    };

    bool isDown(int32_t vk) override;
    CursorPoint cursorPos() override;
    uint64_t userPressCount(int32_t vk) override;
    void sendKey(int32_t vk, bool down) override;
    void sendButton(int32_t vk, bool down) override;
    void moveCursor(int32_t x, int32_t y) override;
    void turnWheel(WheelAxis axis, int32_t delta) override;
    uint32_t scanCode(int32_t vk) override;
    std::string keyName(uint32_t scan) override;
    HotkeyGrab grabHotkey(int32_t id, int32_t vk, uint32_t modifiers) override;
    void releaseHotkeys() override { m_grabs.clear(); }
    std::vector<int32_t> takeHotkeyPresses() override { return std::exchange(m_hotkeyPresses, {}); }
    int32_t tickCount() override;
    Nanos monotonicNow() override { return m_now; }
    void sleep(int32_t ms) override;
    void sleepUntil(Nanos deadline) override;
    void yield() override;
    void beginPolling() override {
        m_unmappedPresses = 0;
        m_wheel = {};
    }
    WheelTurns takeWheelTurns() override { return std::exchange(m_wheel, {}); }
    bool changeTick(int32_t vk, int32_t& tick) override;
    int32_t unrecordableKeyPresses() override { return m_unmappedPresses; }

    // ---- Test control ----
    // Tick count at virtual time 0 (the tick count wraps as a real one does).
    void setTickBase(int32_t tick) { m_tickBase = tick; }
    // Moves the clock forward, applying the scripted changes that fall due.
    void advance(Nanos by);
    void scheduleKey(int64_t atMs, int32_t vk, bool down);
    void scheduleCursor(int64_t atMs, int32_t x, int32_t y);
    void scheduleAction(int64_t atMs, std::function<void()> action);
    // Scheduled key changes report the moment they were scheduled for (as an event stream would).
    void setReportChangeTimes(bool on) { m_reportChangeTimes = on; }
    // The user turns the wheel by delta 120ths.
    void scheduleWheel(int64_t atMs, WheelAxis axis, int32_t delta);
    // Immediate changes of the simulated user's input (not logged as injections).
    void setKeyDown(int32_t vk, bool down);
    void setCursor(int32_t x, int32_t y) { m_cursor = {x, y}; }
    // A press of a key that has no virtual-key code.
    void pressUnmappedKey() { ++m_unmappedPresses; }
    // Another program holds this combination: grabbing it reports Taken.
    void holdElsewhere(int32_t vk, uint32_t modifiers) { m_heldElsewhere.push_back({vk, modifiers}); }
    // Every sleep that waits at all lasts this much longer than asked; every yield takes this long.
    void setSleepOvershoot(Nanos extra) { m_overshoot = extra; }
    void setYieldCost(Nanos cost) { m_yieldCost = cost; }

    const std::vector<Injection>& injections() const { return m_injections; }
    void clearInjections() { m_injections.clear(); }
    // Virtual time at which each sleep returned, and the time of each yield.
    const std::vector<Nanos>& sleepEnds() const { return m_sleepEnds; }
    const std::vector<Nanos>& yieldTimes() const { return m_yieldTimes; }
    int yieldCount() const { return static_cast<int>(m_yieldTimes.size()); }

private:
    struct Scheduled {
        Nanos at;
        uint64_t order;
        int kind; // 0 key, 1 cursor, 2 action, 3 wheel
        int32_t a = 0, b = 0;
        std::function<void()> action;
    };
    using Combination = std::pair<int32_t, uint32_t>;
    void schedule(Scheduled item);
    void applyDueChanges();
    void setPhysical(int32_t vk, bool down);
    void userKey(int32_t vk, bool down);
    void log(Injection::Kind kind, int32_t code = 0, bool down = false, int32_t delta = 0,
             WheelAxis axis = WheelAxis::Vertical);

    Nanos m_now{0};
    int32_t m_tickBase = 0;
    Nanos m_overshoot{0};
    Nanos m_yieldCost{0};
    std::array<bool, 256> m_down{};
    std::array<uint64_t, 256> m_userPresses{};
    CursorPoint m_cursor;
    std::vector<Scheduled> m_timeline; // sorted by (at, order)
    uint64_t m_nextOrder = 0;
    std::vector<Injection> m_injections;
    std::vector<Nanos> m_sleepEnds;
    std::vector<Nanos> m_yieldTimes;
    std::map<int32_t, Combination> m_grabs;
    std::vector<Combination> m_heldElsewhere;
    std::vector<int32_t> m_hotkeyPresses;
    int32_t m_unmappedPresses = 0;
    WheelTurns m_wheel;
    bool m_reportChangeTimes = false;
    std::array<int32_t, 256> m_changeTick{};
};

} // namespace tvk
