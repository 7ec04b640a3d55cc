#pragma once

#include "recorder/InputBackend.h"
#include "recorder/x11/KeyInjector.h"
#include "recorder/x11/TapLatch.h"
#include "recorder/x11/X11KeyMap.h"

#include <X11/Xlib.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tvk {

// X11 implementation of the input services (see createX11Backend). Key and button states are
// answered from state kept current by XInput2 raw events; the server is asked again (one round
// trip) only when an event arrived or the last answer is older than a resync period, since
// a warp by another client sends no raw event.
class X11InputBackend : public InputBackend {
public:
    static std::shared_ptr<X11InputBackend> open(const std::string& displayName, std::string* whyNot);
    ~X11InputBackend() override;
    X11InputBackend(const X11InputBackend&) = delete;
    X11InputBackend& operator=(const X11InputBackend&) = delete;

    int16_t asyncKeyState(int32_t vk) override;
    void readKeyStates(KeyStateTable& states) override;
    void beginPolling() override;
    CursorPoint cursorPos() override;
    void setCursorPos(int32_t x, int32_t y) override;
    void mouseEvent(uint32_t flags, int32_t data) override;
    void keybdEvent(uint8_t vk, uint8_t scan, uint32_t flags) override;
    int32_t tickCount() override;
    std::chrono::nanoseconds monotonicNow() override;
    void sleep(int32_t ms) override;
    void sleepUntil(std::chrono::nanoseconds deadline) override;
    uint32_t mapVirtualKey(uint32_t code, uint32_t mapType) override;
    std::string keyNameText(int32_t lParam) override;
    int32_t unrecordableKeyPresses() override { return m_unrecordable; }

private:
    X11InputBackend(Display* display, int xiOpcode, int pointerId, int xkbEventBase);
    void drainEvents();
    void refreshKeys();
    void refreshPointer();
    void loadKeyMap();
    void fakeButton(unsigned button, bool press);
    int injectionKeycode(int32_t vk);
    KeyInjector::Keyboard keyboard();
    void flushHeldBackKeys();

    Display* m_display;
    Window m_root;
    int m_xiOpcode;
    int m_pointerId;
    int m_xkbEventBase;
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
    std::array<std::vector<uint8_t>, 256> m_pressedAs; // virtual keys each key code went down as
    bool m_numLock = false;
    unsigned m_numLockMask = 0;
    int32_t m_unrecordable = 0;
    KeyInjector m_injector;
    std::chrono::nanoseconds m_heldBackSince{0};
    std::vector<std::pair<int, unsigned long>> m_boundSpares; // spare key codes given a keysym
};

} // namespace tvk
