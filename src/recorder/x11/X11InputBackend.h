#pragma once

#include "recorder/InputBackend.h"
#include "recorder/x11/KeyInjector.h"
#include "recorder/x11/TapLatch.h"
#include "recorder/x11/WheelAccumulator.h"
#include "recorder/x11/X11KeyMap.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tvk {

// X11 implementation of the input services (see createX11Backend). Key and button states are
// answered from state kept current by XInput2 raw events; the server is asked again (one round
// trip) only when an event arrived or the last answer is older than a resync period, since
// a warp by another client sends no raw event. The connection is opened by start() or the
// first call that needs it.
class X11InputBackend : public InputBackend {
public:
    explicit X11InputBackend(std::string displayName);
    ~X11InputBackend() override;
    X11InputBackend(const X11InputBackend&) = delete;
    X11InputBackend& operator=(const X11InputBackend&) = delete;

    bool start(std::string* whyNot) override;
    bool isDown(int32_t vk) override;
    void readKeyStates(KeyStateTable& states) override;
    void beginPolling() override;
    CursorPoint cursorPos() override;
    uint64_t userPressCount(int32_t vk) override;
    void sendKey(int32_t vk, bool down) override;
    void sendButton(int32_t vk, bool down) override;
    void moveCursor(int32_t x, int32_t y) override;
    void turnWheel(WheelAxis axis, int32_t delta) override;
    void settle() override;
    uint32_t scanCode(int32_t vk) override;
    std::string keyName(uint32_t scan) override;
    HotkeyGrab grabHotkey(int32_t id, int32_t vk, uint32_t modifiers) override;
    void releaseHotkeys() override;
    std::vector<int32_t> takeHotkeyPresses() override;
    int32_t tickCount() override;
    std::chrono::nanoseconds monotonicNow() override;
    void sleep(int32_t ms) override;
    void sleepUntil(std::chrono::nanoseconds deadline) override;
    int32_t unrecordableKeyPresses() override { return m_unrecordable; }
    WheelTurns takeWheelTurns() override;
    bool changeTick(int32_t vk, int32_t& tick) override;

private:
    struct Grab {
        int keycode;
        unsigned modifiers;
    };
    bool connect(std::string& whyNot);
    bool ready();
    // Whether events wait to be read; recentIsEnough: a look at the socket within the last
    // moment still holds.
    bool eventsWaiting(bool recentIsEnough);
    void drainEvents(bool recentIsEnough = false);
    void observeRawKey(int keycode, int sourceId, bool press, Time time);
    void measureServerClock();
    int32_t tickOfServerTime(uint32_t time);
    void onHotkeyEvent(const XKeyEvent& event);
    void refreshKeys();
    void refreshPointer();
    void loadKeyMap();
    void findXTestDevices();
    void findScrollAxes();
    void observeRawMotion(const XIRawEvent& raw);
    unsigned numLockMask();
    void ungrab(const Grab& grab);
    void fakeButton(unsigned button, bool press);
    int injectionKeycode(int32_t vk);
    KeyInjector::Keyboard keyboard();
    void flushHeldBackKeys();

    std::string m_displayName;
    bool m_tried = false;
    std::string m_whyNot;
    Display* m_display = nullptr;
    Window m_root = 0;
    int m_xiOpcode = 0;
    int m_pointerId = -1;
    int m_xkbEventBase = 0;
    X11KeyMap m_map;
    TapLatch m_keyLatch;
    TapLatch m_buttonLatch;
    std::array<bool, 256> m_keyDown{};
    std::array<bool, 32> m_buttonDown{};
    CursorPoint m_cursor;
    bool m_keysStale = true;
    bool m_pointerStale = true;
    bool m_mapStale = false;
    std::chrono::nanoseconds m_lastKeyQuery{0};
    std::chrono::nanoseconds m_lastPointerQuery{0};
    std::chrono::nanoseconds m_lastSocketCheck{0};
    std::array<std::vector<uint8_t>, 256> m_pressedAs; // virtual keys each key code went down as
    bool m_numLock = false;
    unsigned m_numLockModifier = 0;
    int32_t m_unrecordable = 0;
    KeyInjector m_injector; // what this backend pressed and not released
    struct ScrollAxis {
        int deviceId;
        int valuator;
        WheelAxis axis;
        double increment;
    };
    std::vector<ScrollAxis> m_scrollAxes; // of every device that scrolls smoothly
    WheelAccumulator m_wheel;
    Window m_clockWindow = 0; // receives the property change that reads the server's clock
    Atom m_clockAtom = 0;
    uint32_t m_serverToTick = 0;           // added to a server time gives the tick count
    std::array<bool, 256> m_changeTimed{}; // by virtual key: the last poll knows when it changed
    std::array<int32_t, 256> m_changeTick{};
    std::chrono::nanoseconds m_heldBackSince{0};
    std::vector<std::pair<int, unsigned long>> m_boundSpares; // spare key codes given a keysym
    std::array<uint8_t, 256> m_injectedPending{};             // key codes pressed here whose raw event is still due
    std::array<uint64_t, 256> m_userPresses{};                // by virtual key
    std::vector<int> m_xtestDevices;                          // the server's devices that XTest injects through
    std::array<int32_t, 2> m_wheelRest{};                     // 120ths not yet turned, per axis
    std::map<int32_t, Grab> m_grabs;
    std::array<bool, 256> m_hotkeyDown{}; // by key code: repeats of a held hotkey are not presses
    std::vector<int32_t> m_hotkeyPresses;
};

} // namespace tvk
