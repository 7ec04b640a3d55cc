#include "recorder/x11/X11InputBackend.h"

#include "recorder/VirtualKeys.h"
#include "recorder/x11/X11Backend.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <span>
#include <thread>
#include <utility>
#include <vector>

namespace tvk {

namespace {

using namespace std::chrono_literals;

// How old an answer may grow while no raw event says that anything changed.
constexpr auto kKeyResync = 1000ms;
constexpr auto kPointerResync = 100ms;
// A poll reads keys, wheel and cursor one after the other: one look at the socket serves them all.
constexpr auto kSocketCheckReuse = 1ms;
// How long a modifier press may wait for the rest of its chord while the replay sleeps.
constexpr auto kChordWindow = 20ms;

// X buttons and the virtual keys they are: left, middle, right and the two side buttons.
struct ButtonKey {
    unsigned button;
    int32_t vk;
};
constexpr ButtonKey kButtons[] = {
    {1, vk::LButton}, {3, vk::RButton}, {2, vk::MButton}, {8, vk::XButton1}, {9, vk::XButton2}};

// Xlib ends the process on a protocol error by default. Errors on our own connections (a key code
// the server rejects, a vanished window) are not fatal to a recording; others go to the handler
// that was installed before ours.
std::vector<Display*>& ourDisplays() {
    static std::vector<Display*> displays;
    return displays;
}
XErrorHandler g_previousHandler = nullptr;
unsigned char g_lastErrorCode = 0; // the last error on one of our connections, for grabs to check

int onXError(Display* display, XErrorEvent* event) {
    const auto& ours = ourDisplays();
    if (std::find(ours.begin(), ours.end(), display) != ours.end()) {
        g_lastErrorCode = event->error_code;
        return 0;
    }
    return g_previousHandler ? g_previousHandler(display, event) : 0;
}

timespec toTimespec(std::chrono::nanoseconds t) {
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(t);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(secs.count());
    ts.tv_nsec = static_cast<long>((t - secs).count());
    return ts;
}

bool fail(std::string& whyNot, const char* message) {
    whyNot = message;
    return false;
}

} // namespace

std::shared_ptr<InputBackend> createX11Backend(const std::string& displayName, std::string* whyNot) {
    auto backend = std::make_shared<X11InputBackend>(displayName);
    if (!backend->start(whyNot)) return nullptr;
    return backend;
}

std::shared_ptr<InputBackend> makeX11Backend(const std::string& displayName) {
    return std::make_shared<X11InputBackend>(displayName);
}

X11InputBackend::X11InputBackend(std::string displayName) : m_displayName(std::move(displayName)) {}

bool X11InputBackend::start(std::string* whyNot) {
    if (!m_tried) {
        m_tried = true;
        connect(m_whyNot);
    }
    if (!m_display && whyNot) *whyNot = m_whyNot;
    return m_display != nullptr;
}

bool X11InputBackend::ready() {
    return m_display || start(nullptr);
}

bool X11InputBackend::connect(std::string& whyNot) {
    // Some servers refuse a connection now and then right after another client left; retry briefly.
    Display* display = nullptr;
    for (int attempt = 0; attempt < 5 && !display; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(20ms);
        display = XOpenDisplay(m_displayName.empty() ? nullptr : m_displayName.c_str());
    }
    if (!display) return fail(whyNot, "cannot open the X display");
    const auto reject = [&](const char* message) {
        XCloseDisplay(display);
        return fail(whyNot, message);
    };
    int xiOpcode = 0, eventBase = 0, errorBase = 0;
    if (!XQueryExtension(display, "XInputExtension", &xiOpcode, &eventBase, &errorBase)) {
        return reject("the X server has no XInput extension");
    }
    int major = 2, minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major * 100 + minor < 202) {
        return reject("the X server lacks XInput 2.2");
    }
    int testEvent = 0, testError = 0, testMajor = 0, testMinor = 0;
    if (!XTestQueryExtension(display, &testEvent, &testError, &testMajor, &testMinor)) {
        return reject("the X server has no XTest extension");
    }
    int xkbOpcode = 0, xkbEvent = 0, xkbError = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &xkbOpcode, &xkbEvent, &xkbError, &xkbMajor, &xkbMinor)) {
        return reject("the X server has no XKB extension");
    }

    // The master pointer answers for the cursor and every button, the side buttons included.
    int pointerId = -1;
    int count = 0;
    if (XIDeviceInfo* devices = XIQueryDevice(display, XIAllMasterDevices, &count)) {
        for (int i = 0; i < count && pointerId < 0; ++i) {
            if (devices[i].use == XIMasterPointer) pointerId = devices[i].deviceid;
        }
        XIFreeDeviceInfo(devices);
    }
    if (pointerId < 0) return reject("the X server reports no master pointer");

    if (ourDisplays().empty()) g_previousHandler = XSetErrorHandler(onXError);
    ourDisplays().push_back(display);
    m_display = display;
    m_root = DefaultRootWindow(display);
    m_xiOpcode = xiOpcode;
    m_pointerId = pointerId;
    m_xkbEventBase = xkbEvent;

    // Raw events arrive for every press, including those too short for any poll to see.
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XISetMask(bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof(bits)), bits};
    XISelectEvents(m_display, m_root, &mask, 1);
    XkbSelectEvents(m_display, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                    XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
    XkbSelectEventDetails(m_display, XkbUseCoreKbd, XkbStateNotify, XkbModifierLockMask | XkbGroupStateMask,
                          XkbModifierLockMask | XkbGroupStateMask);
    // A held hotkey then repeats as presses alone, which are told from new presses.
    XkbSetDetectableAutoRepeat(m_display, True, nullptr);
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    m_clockWindow =
        XCreateWindow(m_display, m_root, 0, 0, 1, 1, 0, 0, InputOnly, CopyFromParent, CWEventMask, &attributes);
    findXTestDevices();
    findScrollAxes();
    loadKeyMap();
    XSync(m_display, False);
    return true;
}

void X11InputBackend::findXTestDevices() {
    m_xtestDevices.clear();
    int count = 0;
    if (XIDeviceInfo* devices = XIQueryDevice(m_display, XIAllDevices, &count)) {
        for (int i = 0; i < count; ++i) {
            if (devices[i].name && std::strstr(devices[i].name, "XTEST")) m_xtestDevices.push_back(devices[i].deviceid);
        }
        XIFreeDeviceInfo(devices);
    }
}

X11InputBackend::~X11InputBackend() {
    if (!m_display) return;
    // Keys this backend pressed must not stay down once nothing can release them.
    const auto held = m_injector.heldKeys();
    for (auto it = held.rbegin(); it != held.rend(); ++it)
        sendKey(*it, false);
    // Spare key codes go back to having no keysym.
    for (const auto& [keycode, keysym] : m_boundSpares) {
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(m_display, keycode, 1, &none, 1);
    }
    releaseHotkeys();
    XSync(m_display, False);
    auto& ours = ourDisplays();
    ours.erase(std::remove(ours.begin(), ours.end(), m_display), ours.end());
    XCloseDisplay(m_display);
}

bool X11InputBackend::eventsWaiting(bool recentIsEnough) {
    // Events read along with a reply are already in Xlib's queue; anything else is still in the
    // socket. Asking the socket costs one system call where XPending (and XFlush) make two reads,
    // and this is asked several times a poll while nothing happens. Every request that must reach
    // the server is flushed where it is made.
    if (XEventsQueued(m_display, QueuedAlready) > 0) return true;
    const auto now = monotonicNow();
    if (recentIsEnough && now - m_lastSocketCheck < kSocketCheckReuse) return false;
    m_lastSocketCheck = now;
    pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
    return poll(&connection, 1, 0) != 0; // an error too is for XPending to report
}

void X11InputBackend::drainEvents(bool recentIsEnough) {
    if (!eventsWaiting(recentIsEnough)) {
        if (m_mapStale) loadKeyMap();
        return;
    }
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type == GenericEvent && cookie->extension == m_xiOpcode && XGetEventData(m_display, cookie)) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            switch (cookie->evtype) {
            case XI_RawKeyPress:
            case XI_RawKeyRelease:
                observeRawKey(raw->detail, raw->sourceid, cookie->evtype == XI_RawKeyPress, raw->time);
                break;
            case XI_RawButtonPress:
            case XI_RawButtonRelease:
                if (cookie->evtype == XI_RawButtonPress) m_wheel.button(raw->detail, raw->flags & XIPointerEmulated);
                if (raw->detail > 0 && raw->detail < 32) {
                    m_buttonLatch.observe(raw->detail, cookie->evtype == XI_RawButtonPress,
                                          static_cast<uint32_t>(raw->time));
                }
                m_pointerStale = true;
                break;
            case XI_RawMotion:
                observeRawMotion(*raw);
                m_pointerStale = true;
                break;
            default:
                break;
            }
            XFreeEventData(m_display, cookie);
        } else if (event.type == KeyPress || event.type == KeyRelease) {
            onHotkeyEvent(event.xkey);
        } else if (event.type == m_xkbEventBase) {
            const auto* xkb = reinterpret_cast<const XkbAnyEvent*>(&event);
            if (xkb->xkb_type == XkbStateNotify) {
                const auto* state = reinterpret_cast<const XkbStateNotifyEvent*>(&event);
                m_numLock = (state->locked_mods & m_numLockModifier) != 0;
                // Character keys follow the active group: a layout switch changes their codes.
                if (state->changed & XkbGroupStateMask) m_mapStale = true;
                continue;
            }
            if (xkb->xkb_type == XkbMapNotify) {
                XkbRefreshKeyboardMapping(reinterpret_cast<XkbMapNotifyEvent*>(&event));
            }
            m_mapStale = true;
        } else if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            m_mapStale = true;
        }
    }
    if (m_mapStale) loadKeyMap();
}

void X11InputBackend::observeRawKey(int keycode, int sourceId, bool press, Time time) {
    m_keyLatch.observe(keycode, press, static_cast<uint32_t>(time));
    m_keysStale = true;
    if (!press || keycode < 0 || keycode > 255) return;
    // A press from a device other than XTest is the user's. One through XTest is ours while
    // presses we injected on that key are still due, else another client's (a user's tool).
    auto& pending = m_injectedPending[static_cast<size_t>(keycode)];
    const bool viaXTest = std::find(m_xtestDevices.begin(), m_xtestDevices.end(), sourceId) != m_xtestDevices.end();
    if (viaXTest && pending > 0) {
        --pending;
        return;
    }
    for (uint8_t code : m_map.virtualKeysOf(keycode))
        ++m_userPresses[code];
}

void X11InputBackend::findScrollAxes() {
    m_scrollAxes.clear();
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(m_display, XIAllDevices, &count);
    if (!devices) return;
    for (int i = 0; i < count; ++i) {
        if (devices[i].use != XISlavePointer) continue;
        for (int c = 0; c < devices[i].num_classes; ++c) {
            if (devices[i].classes[c]->type != XIScrollClass) continue;
            const auto* scroll = reinterpret_cast<const XIScrollClassInfo*>(devices[i].classes[c]);
            const WheelAxis axis =
                scroll->scroll_type == XIScrollTypeVertical ? WheelAxis::Vertical : WheelAxis::Horizontal;
            m_scrollAxes.push_back({devices[i].deviceid, scroll->number, axis, scroll->increment});
        }
    }
    XIFreeDeviceInfo(devices);
}

void X11InputBackend::observeRawMotion(const XIRawEvent& raw) {
    if (m_scrollAxes.empty() || !raw.valuators.mask) return;
    // The values follow the set bits of the mask, lowest valuator first.
    int index = 0;
    for (int valuator = 0; valuator < raw.valuators.mask_len * 8; ++valuator) {
        if (!XIMaskIsSet(raw.valuators.mask, valuator)) continue;
        for (const auto& axis : m_scrollAxes) {
            if (axis.deviceId == raw.sourceid && axis.valuator == valuator) {
                m_wheel.scroll(axis.axis, raw.raw_values[index], axis.increment);
            }
        }
        ++index;
    }
}

void X11InputBackend::measureServerClock() {
    // A property change is stamped with the server's time: halfway through the round trip.
    if (m_clockAtom == None) m_clockAtom = XInternAtom(m_display, "_TVK_CLOCK", False);
    const auto before = monotonicNow();
    const unsigned char none = 0;
    XChangeProperty(m_display, m_clockWindow, m_clockAtom, XA_INTEGER, 8, PropModeReplace, &none, 0);
    XFlush(m_display);
    XEvent event;
    XWindowEvent(m_display, m_clockWindow, PropertyChangeMask, &event);
    const auto middle = before + (monotonicNow() - before) / 2;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(middle).count();
    m_serverToTick = static_cast<uint32_t>(ms) - static_cast<uint32_t>(event.xproperty.time);
}

int32_t X11InputBackend::tickOfServerTime(uint32_t time) {
    const auto tick = static_cast<int32_t>(time + m_serverToTick);
    // Nothing happened after now: a clock measured a little late is corrected by what it sees.
    const int32_t now = tickCount();
    const auto ahead = static_cast<int32_t>(static_cast<uint32_t>(tick) - static_cast<uint32_t>(now));
    if (ahead > 0) {
        m_serverToTick -= static_cast<uint32_t>(ahead);
        return now;
    }
    return tick;
}

bool X11InputBackend::changeTick(int32_t code, int32_t& tick) {
    if (code < 0 || code > 255 || !m_changeTimed[static_cast<size_t>(code)]) return false;
    tick = m_changeTick[static_cast<size_t>(code)];
    return true;
}

WheelTurns X11InputBackend::takeWheelTurns() {
    if (!ready()) return {};
    drainEvents(true);
    return m_wheel.take();
}

void X11InputBackend::refreshKeys() {
    char keys[32] = {};
    XQueryKeymap(m_display, keys);
    for (size_t kc = 0; kc < 256; ++kc)
        m_keyDown[kc] = (static_cast<unsigned char>(keys[kc / 8]) >> (kc % 8)) & 1;
    m_keysStale = false;
    m_lastKeyQuery = monotonicNow();
}

void X11InputBackend::refreshPointer() {
    Window root = 0, child = 0;
    double rootX = 0, rootY = 0, winX = 0, winY = 0;
    XIButtonState buttons{};
    XIModifierState mods{};
    XIGroupState group{};
    if (XIQueryPointer(m_display, m_pointerId, m_root, &root, &child, &rootX, &rootY, &winX, &winY, &buttons, &mods,
                       &group)) {
        m_cursor = {static_cast<int32_t>(std::floor(rootX)), static_cast<int32_t>(std::floor(rootY))};
    }
    for (unsigned b = 0; b < m_buttonDown.size(); ++b) {
        m_buttonDown[b] = buttons.mask && static_cast<int>(b / 8) < buttons.mask_len && XIMaskIsSet(buttons.mask, b);
    }
    if (buttons.mask) XFree(buttons.mask);
    m_pointerStale = false;
    m_lastPointerQuery = monotonicNow();
}

void X11InputBackend::loadKeyMap() {
    m_mapStale = false;
    XkbDescPtr xkb = XkbGetMap(m_display, 0, XkbUseCoreKbd);
    if (!xkb) return;
    XkbStateRec state{};
    XkbGetState(m_display, XkbUseCoreKbd, &state);
    m_numLockModifier = numLockMask();
    m_numLock = (state.locked_mods & m_numLockModifier) != 0;
    std::vector<X11Key> keys;
    if (XkbGetNames(m_display, XkbKeyNamesMask | XkbKeyAliasesMask, xkb) == Success && xkb->names && xkb->names->keys) {
        const auto nameOf = [](const char* name) { return std::string(name, strnlen(name, XkbKeyNameLength)); };
        for (int kc = xkb->min_key_code; kc <= xkb->max_key_code; ++kc) {
            X11Key key{kc, nameOf(xkb->names->keys[kc].name), 0, {}};
            // Some keycode sets name a key differently and give the usual name as an alias.
            for (int i = 0; i < xkb->names->num_key_aliases && xkb->names->key_aliases; ++i) {
                if (nameOf(xkb->names->key_aliases[i].real) == key.xkbName) {
                    key.aliases.push_back(nameOf(xkb->names->key_aliases[i].alias));
                }
            }
            // A key with fewer groups than the active one types its first group, as the server wraps it.
            key.keysym = XkbKeycodeToKeysym(m_display, KeyCode(kc), state.group, 0);
            if (key.keysym == NoSymbol) key.keysym = XkbKeycodeToKeysym(m_display, KeyCode(kc), 0, 0);
            keys.push_back(std::move(key));
        }
    }
    XkbFreeNames(xkb, XkbKeyNamesMask | XkbKeyAliasesMask, True);
    XkbFreeKeyboard(xkb, 0, True);
    m_map = X11KeyMap(keys);
}

void X11InputBackend::readKeyStates(KeyStateTable& states) {
    states.fill(false);
    if (!ready()) return;
    drainEvents();
    const auto now = monotonicNow();
    if (m_keysStale || now - m_lastKeyQuery > kKeyResync) refreshKeys();
    if (m_pointerStale || now - m_lastPointerQuery > kPointerResync) refreshPointer();

    // Changes handed out from the event stream carry the server's time of the press or release.
    m_changeTimed.fill(false);
    const auto stamp = [&](const TapLatch& latch, int code, std::span<const uint8_t> vks) {
        uint32_t time = 0;
        if (!latch.reportedTime(code, time)) return;
        const int32_t tick = tickOfServerTime(time);
        for (uint8_t vk : vks) {
            m_changeTimed[vk] = true;
            m_changeTick[vk] = tick;
        }
    };
    for (int kc = 8; kc <= 255; ++kc) {
        auto& pressedAs = m_pressedAs[static_cast<size_t>(kc)];
        if (!m_keyLatch.report(kc, m_keyDown[static_cast<size_t>(kc)])) {
            stamp(m_keyLatch, kc, pressedAs); // a release: the codes the key went down as
            pressedAs.clear();
            continue;
        }
        // A key keeps the codes it went down as (NumLock or the layout may change while it is held).
        if (pressedAs.empty()) {
            pressedAs = m_map.virtualKeysOf(kc, m_numLock);
            if (pressedAs.empty()) ++m_unrecordable;
        }
        for (uint8_t code : pressedAs)
            states[code] = true;
        stamp(m_keyLatch, kc, pressedAs);
    }
    for (const auto& [button, code] : kButtons) {
        if (m_buttonLatch.report(static_cast<int>(button), m_buttonDown[button]))
            states[static_cast<size_t>(code)] = true;
        const uint8_t buttonCode = static_cast<uint8_t>(code);
        stamp(m_buttonLatch, static_cast<int>(button), {&buttonCode, 1});
    }
    states[0] = states[255] = false;
}

void X11InputBackend::beginPolling() {
    if (!ready()) return;
    drainEvents();
    m_keyLatch.reset();
    m_buttonLatch.reset();
    refreshKeys();
    refreshPointer();
    findScrollAxes(); // a mouse may have been plugged in since
    measureServerClock();
    m_wheel.reset();
    m_unrecordable = 0;
    // Keys down now were pressed before: they count as known, whatever their codes.
    for (size_t kc = 0; kc < m_pressedAs.size(); ++kc) {
        m_pressedAs[kc] = m_keyDown[kc] ? m_map.virtualKeysOf(static_cast<int>(kc), m_numLock) : std::vector<uint8_t>{};
        if (m_keyDown[kc] && m_pressedAs[kc].empty()) m_pressedAs[kc] = {0};
    }
}

bool X11InputBackend::isDown(int32_t code) {
    if (code < 1 || code > 254) return false;
    KeyStateTable states{};
    readKeyStates(states);
    return states[static_cast<size_t>(code)];
}

CursorPoint X11InputBackend::cursorPos() {
    if (!ready()) return {};
    drainEvents(true);
    if (m_pointerStale || monotonicNow() - m_lastPointerQuery > kPointerResync) refreshPointer();
    return m_cursor;
}

uint64_t X11InputBackend::userPressCount(int32_t code) {
    if (code < 0 || code > 255 || !ready()) return 0;
    drainEvents();
    return m_userPresses[static_cast<size_t>(code)];
}

void X11InputBackend::moveCursor(int32_t x, int32_t y) {
    if (!ready()) return;
    XIWarpPointer(m_display, m_pointerId, None, m_root, 0, 0, 0, 0, x, y);
    XFlush(m_display);
    m_pointerStale = true; // the server clamps to the screen: ask it rather than assume
}

void X11InputBackend::fakeButton(unsigned button, bool press) {
    XTestFakeButtonEvent(m_display, button, press ? True : False, CurrentTime);
}

void X11InputBackend::sendButton(int32_t code, bool down) {
    if (!ready()) return;
    flushHeldBackKeys();
    for (const auto& [button, key] : kButtons) {
        if (key != code) continue;
        fakeButton(button, down);
        XFlush(m_display);
    }
}

void X11InputBackend::settle() {
    if (m_display) XSync(m_display, False);
}

void X11InputBackend::turnWheel(WheelAxis axis, int32_t delta) {
    if (!ready()) return;
    flushHeldBackKeys();
    // One click of buttons 4 to 7 per notch; what is left of a notch is kept for the next turn.
    const bool vertical = axis == WheelAxis::Vertical;
    auto& rest = m_wheelRest[vertical ? 0 : 1];
    const int64_t total = int64_t{rest} + delta;
    const int64_t clicks = total / 120;
    rest = static_cast<int32_t>(total % 120);
    const unsigned button = vertical ? (clicks > 0 ? 4 : 5) : (clicks > 0 ? 7 : 6);
    for (int64_t i = 0; i < (clicks < 0 ? -clicks : clicks); ++i) {
        fakeButton(button, true);
        fakeButton(button, false);
    }
    XFlush(m_display);
}

KeyInjector::Keyboard X11InputBackend::keyboard() {
    KeyInjector::Keyboard board;
    board.keycodeOf = [this](int32_t code) { return injectionKeycode(code); };
    board.rightAltIsAltGr = m_map.rightAltIsAltGr();
    board.emit = [this](int keycode, bool press) {
        if (press) {
            auto& pending = m_injectedPending[static_cast<size_t>(keycode)];
            if (pending < 255) ++pending;
        }
        XTestFakeKeyEvent(m_display, static_cast<unsigned>(keycode), press ? True : False, CurrentTime);
    };
    return board;
}

int X11InputBackend::injectionKeycode(int32_t code) {
    if (const int keycode = m_map.keycodeOf(code)) return keycode;
    // A key this layout lacks (a media key, the keypad separator) is typed through a spare key
    // code given its keysym, as long as the backend lives: clients read the keysym of an event
    // after it arrived, so the binding must outlast the key press.
    const unsigned long keysym = keysymOfVirtualKey(code);
    if (keysym == 0) return 0;
    for (const auto& [keycode, bound] : m_boundSpares) {
        if (bound == keysym) return keycode;
    }
    for (int keycode : m_map.spareKeycodes()) {
        const bool used = std::any_of(m_boundSpares.begin(), m_boundSpares.end(),
                                      [&](const auto& spare) { return spare.first == keycode; });
        if (used) continue;
        KeySym sym = keysym;
        XChangeKeyboardMapping(m_display, keycode, 1, &sym, 1);
        XSync(m_display, False);
        m_boundSpares.emplace_back(keycode, keysym);
        return keycode;
    }
    return 0;
}

void X11InputBackend::flushHeldBackKeys() {
    if (!m_injector.hasPending()) return;
    m_injector.flush(keyboard());
    XFlush(m_display);
}

void X11InputBackend::sendKey(int32_t code, bool down) {
    if (code < 0 || code > 255 || !ready()) return;
    drainEvents();
    const bool wasPending = m_injector.hasPending();
    m_injector.key(keyboard(), code, down);
    if (!wasPending && m_injector.hasPending()) m_heldBackSince = monotonicNow();
    XFlush(m_display);
}

uint32_t X11InputBackend::scanCode(int32_t code) {
    if (code < 0 || code > 255 || !ready()) return 0;
    drainEvents();
    return static_cast<uint32_t>(m_map.scanCodeOf(code));
}

std::string X11InputBackend::keyName(uint32_t scan) {
    if (scan > 255 || !ready()) return {};
    drainEvents();
    return m_map.nameOfScanCode(static_cast<int>(scan));
}

unsigned X11InputBackend::numLockMask() {
    unsigned mask = 0;
    const KeyCode numLock = XKeysymToKeycode(m_display, XK_Num_Lock);
    if (XModifierKeymap* map = XGetModifierMapping(m_display)) {
        for (int mod = 0; mod < 8 && numLock != 0; ++mod) {
            for (int k = 0; k < map->max_keypermod; ++k) {
                if (map->modifiermap[mod * map->max_keypermod + k] == numLock) mask = 1u << mod;
            }
        }
        XFreeModifiermap(map);
    }
    return mask;
}

HotkeyGrab X11InputBackend::grabHotkey(int32_t id, int32_t code, uint32_t modifiers) {
    if (!ready()) return HotkeyGrab::Unsupported;
    drainEvents();
    if (auto old = m_grabs.find(id); old != m_grabs.end()) {
        ungrab(old->second);
        m_grabs.erase(old);
    }
    const int keycode = m_map.keycodeOf(code);
    if (keycode == 0) return HotkeyGrab::NoSuchKey;
    unsigned mods = 0;
    if (modifiers & modifier::Shift) mods |= ShiftMask;
    if (modifiers & modifier::Control) mods |= ControlMask;
    if (modifiers & modifier::Alt) mods |= Mod1Mask;
    const Grab grab{keycode, mods};
    // The lock modifiers are part of a key's state: grab the key under each of their combinations.
    const unsigned numLock = numLockMask();
    XSync(m_display, False);
    g_lastErrorCode = 0;
    for (unsigned locks : {0u, unsigned{LockMask}, numLock, LockMask | numLock}) {
        XGrabKey(m_display, keycode, mods | locks, m_root, False, GrabModeAsync, GrabModeAsync);
    }
    XSync(m_display, False);
    if (g_lastErrorCode != 0) {
        // Another client holds the combination (BadAccess): give back the parts that were granted.
        ungrab(grab);
        g_lastErrorCode = 0;
        return HotkeyGrab::Taken;
    }
    m_grabs[id] = grab;
    return HotkeyGrab::Grabbed;
}

void X11InputBackend::ungrab(const Grab& grab) {
    const unsigned numLock = numLockMask();
    for (unsigned locks : {0u, unsigned{LockMask}, numLock, LockMask | numLock})
        XUngrabKey(m_display, grab.keycode, grab.modifiers | locks, m_root);
    XSync(m_display, False);
}

void X11InputBackend::releaseHotkeys() {
    if (!m_display) return;
    for (const auto& [id, grab] : m_grabs)
        ungrab(grab);
    m_grabs.clear();
}

void X11InputBackend::onHotkeyEvent(const XKeyEvent& event) {
    if (event.keycode > 255) return;
    auto& down = m_hotkeyDown[event.keycode];
    if (event.type == KeyRelease) {
        down = false;
        return;
    }
    if (down) return; // a repeat of a held key
    down = true;
    const unsigned mods = event.state & (ShiftMask | ControlMask | Mod1Mask);
    for (const auto& [id, grab] : m_grabs) {
        if (grab.keycode == static_cast<int>(event.keycode) && grab.modifiers == mods) {
            // Bounded: nobody presses keys faster than the program takes them, but a stuck queue must not grow.
            if (m_hotkeyPresses.size() < 64) m_hotkeyPresses.push_back(id);
        }
    }
}

std::vector<int32_t> X11InputBackend::takeHotkeyPresses() {
    if (!m_display) return {};
    drainEvents();
    return std::exchange(m_hotkeyPresses, {});
}

int32_t X11InputBackend::tickCount() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(monotonicNow()).count();
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

std::chrono::nanoseconds X11InputBackend::monotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

void X11InputBackend::sleep(int32_t ms) {
    if (ms <= 0) return;
    sleepUntil(monotonicNow() + std::chrono::milliseconds(ms));
}

void X11InputBackend::sleepUntil(std::chrono::nanoseconds deadline) {
    // A modifier held back for a chord that did not come goes down before long.
    if (m_display && m_injector.hasPending() && monotonicNow() - m_heldBackSince >= kChordWindow) flushHeldBackKeys();
    const timespec ts = toTimespec(deadline);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

} // namespace tvk
