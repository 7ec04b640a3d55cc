#include "recorder/x11/X11InputBackend.h"

#include "recorder/VirtualKeys.h"
#include "recorder/x11/X11Backend.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

namespace tvk {

namespace {

using namespace std::chrono_literals;

// How old an answer may grow while no raw event says that anything changed.
constexpr auto kKeyResync = 1000ms;
constexpr auto kPointerResync = 100ms;

constexpr int16_t kDown = static_cast<int16_t>(-32768);

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

int onXError(Display* display, XErrorEvent* event) {
    const auto& ours = ourDisplays();
    if (std::find(ours.begin(), ours.end(), display) != ours.end()) return 0;
    return g_previousHandler ? g_previousHandler(display, event) : 0;
}

timespec toTimespec(std::chrono::nanoseconds t) {
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(t);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(secs.count());
    ts.tv_nsec = static_cast<long>((t - secs).count());
    return ts;
}

bool fail(std::string* whyNot, const char* message) {
    if (whyNot) *whyNot = message;
    return false;
}

} // namespace

std::shared_ptr<InputBackend> createX11Backend(const std::string& displayName, std::string* whyNot) {
    return X11InputBackend::open(displayName, whyNot);
}

std::shared_ptr<X11InputBackend> X11InputBackend::open(const std::string& displayName, std::string* whyNot) {
    // Some servers refuse a connection now and then right after another client left; retry briefly.
    Display* display = nullptr;
    for (int attempt = 0; attempt < 5 && !display; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(20ms);
        display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    }
    if (!display) {
        fail(whyNot, "cannot open the X display");
        return nullptr;
    }
    const auto reject = [&](const char* message) {
        XCloseDisplay(display);
        fail(whyNot, message);
        return nullptr;
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
    return std::shared_ptr<X11InputBackend>(new X11InputBackend(display, xiOpcode, pointerId, xkbEvent));
}

X11InputBackend::X11InputBackend(Display* display, int xiOpcode, int pointerId, int xkbEventBase)
    : m_display(display), m_root(DefaultRootWindow(display)), m_xiOpcode(xiOpcode), m_pointerId(pointerId),
      m_xkbEventBase(xkbEventBase) {
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
    loadKeyMap();
    XSync(m_display, False);
}

X11InputBackend::~X11InputBackend() {
    // Keys this backend pressed must not stay down once nothing can release them.
    for (int code = 255; code >= 0; --code) {
        if (m_injectedDown[static_cast<size_t>(code)]) keybdEvent(static_cast<uint8_t>(code), 0, KeyEventKeyUp);
    }
    XSync(m_display, False);
    auto& ours = ourDisplays();
    ours.erase(std::remove(ours.begin(), ours.end(), m_display), ours.end());
    XCloseDisplay(m_display);
}

void X11InputBackend::drainEvents() {
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type == GenericEvent && cookie->extension == m_xiOpcode && XGetEventData(m_display, cookie)) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            switch (cookie->evtype) {
            case XI_RawKeyPress:
            case XI_RawKeyRelease:
                m_keyLatch.observe(raw->detail, cookie->evtype == XI_RawKeyPress);
                m_keysStale = true;
                break;
            case XI_RawButtonPress:
            case XI_RawButtonRelease:
                if (raw->detail > 0 && raw->detail < 32) {
                    m_buttonLatch.observe(raw->detail, cookie->evtype == XI_RawButtonPress);
                }
                m_pointerStale = true;
                break;
            case XI_RawMotion:
                m_pointerStale = true;
                break;
            default:
                break;
            }
            XFreeEventData(m_display, cookie);
        } else if (event.type == m_xkbEventBase) {
            const auto* xkb = reinterpret_cast<const XkbAnyEvent*>(&event);
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
    X11KeyMap map;
    XkbDescPtr xkb = XkbGetMap(m_display, 0, XkbUseCoreKbd);
    if (!xkb) return;
    XkbStateRec state{};
    XkbGetState(m_display, XkbUseCoreKbd, &state);
    if (XkbGetNames(m_display, XkbKeyNamesMask | XkbKeyAliasesMask, xkb) == Success && xkb->names && xkb->names->keys) {
        const auto nameOf = [](const char* name) { return std::string(name, strnlen(name, XkbKeyNameLength)); };
        const auto keysymOf = [&](int kc) { return XkbKeycodeToKeysym(m_display, KeyCode(kc), state.group, 0); };
        for (int kc = xkb->min_key_code; kc <= xkb->max_key_code; ++kc) {
            map.assign(kc, nameOf(xkb->names->keys[kc].name), keysymOf(kc));
        }
        // Some keycode sets name a key differently and give the usual name as an alias.
        for (int i = 0; i < xkb->names->num_key_aliases && xkb->names->key_aliases; ++i) {
            const std::string real = nameOf(xkb->names->key_aliases[i].real);
            for (int kc = xkb->min_key_code; kc <= xkb->max_key_code; ++kc) {
                if (nameOf(xkb->names->keys[kc].name) == real && map.virtualKeysOf(kc).empty()) {
                    map.assign(kc, nameOf(xkb->names->key_aliases[i].alias), keysymOf(kc));
                }
            }
        }
    }
    XkbFreeNames(xkb, XkbKeyNamesMask | XkbKeyAliasesMask, True);
    XkbFreeKeyboard(xkb, 0, True);
    m_map = std::move(map);
}

void X11InputBackend::readKeyStates(KeyStateTable& states) {
    drainEvents();
    const auto now = monotonicNow();
    if (m_keysStale || now - m_lastKeyQuery > kKeyResync) refreshKeys();
    if (m_pointerStale || now - m_lastPointerQuery > kPointerResync) refreshPointer();

    states.fill(0);
    for (int kc = 8; kc <= 255; ++kc) {
        if (!m_keyLatch.report(kc, m_keyDown[static_cast<size_t>(kc)])) continue;
        for (uint8_t code : m_map.virtualKeysOf(kc))
            states[code] = kDown;
    }
    for (const auto& [button, code] : kButtons) {
        if (m_buttonLatch.report(static_cast<int>(button), m_buttonDown[button]))
            states[static_cast<size_t>(code)] = kDown;
    }
    states[0] = states[255] = 0;
}

void X11InputBackend::beginPolling() {
    drainEvents();
    m_keyLatch.reset();
    m_buttonLatch.reset();
    refreshKeys();
    refreshPointer();
}

int16_t X11InputBackend::asyncKeyState(int32_t code) {
    if (code < 1 || code > 254) return 0;
    KeyStateTable states{};
    readKeyStates(states);
    return states[static_cast<size_t>(code)];
}

CursorPoint X11InputBackend::cursorPos() {
    drainEvents();
    if (m_pointerStale || monotonicNow() - m_lastPointerQuery > kPointerResync) refreshPointer();
    return m_cursor;
}

void X11InputBackend::setCursorPos(int32_t x, int32_t y) {
    XIWarpPointer(m_display, m_pointerId, None, m_root, 0, 0, 0, 0, x, y);
    XFlush(m_display);
    m_pointerStale = true; // the server clamps to the screen: ask it rather than assume
}

void X11InputBackend::fakeButton(unsigned button, bool press) {
    XTestFakeButtonEvent(m_display, button, press ? True : False, CurrentTime);
}

void X11InputBackend::mouseEvent(uint32_t flags, int32_t data) {
    if (flags & mouse::LeftDown) fakeButton(1, true);
    if (flags & mouse::LeftUp) fakeButton(1, false);
    if (flags & mouse::RightDown) fakeButton(3, true);
    if (flags & mouse::RightUp) fakeButton(3, false);
    if (flags & mouse::MiddleDown) fakeButton(2, true);
    if (flags & mouse::MiddleUp) fakeButton(2, false);
    // Side buttons need their number in data; other data names no button and does nothing.
    if (data == 1 || data == 2) {
        const unsigned side = data == 1 ? 8 : 9;
        if (flags & mouse::XDown) fakeButton(side, true);
        if (flags & mouse::XUp) fakeButton(side, false);
    }
    XFlush(m_display);
}

bool X11InputBackend::heldByInjection(int keycode) const {
    for (int code = 0; code <= 255; ++code) {
        if (m_injectedDown[static_cast<size_t>(code)] && m_map.keycodeOf(code) == keycode) return true;
    }
    return false;
}

void X11InputBackend::keybdEvent(uint8_t code, uint8_t /*scan*/, uint32_t flags) {
    drainEvents();
    const int keycode = m_map.keycodeOf(code);
    if (keycode == 0) return;
    // A generic modifier and its sided code share one key: it goes down with the first of them
    // and up with the last, so a file that presses both neither presses twice nor leaves it down.
    const bool press = (flags & KeyEventKeyUp) == 0;
    const bool wasHeld = heldByInjection(keycode);
    m_injectedDown[code] = press;
    if (press && wasHeld) return;
    if (!press && heldByInjection(keycode)) return;
    XTestFakeKeyEvent(m_display, static_cast<unsigned>(keycode), press ? True : False, CurrentTime);
    XFlush(m_display);
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
    const timespec ts = toTimespec(deadline);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

uint32_t X11InputBackend::mapVirtualKey(uint32_t code, uint32_t mapType) {
    if (mapType != 0 || code > 255) return 0;
    drainEvents();
    return static_cast<uint32_t>(m_map.scanCodeOf(static_cast<int32_t>(code)));
}

std::string X11InputBackend::keyNameText(int32_t lParam) {
    drainEvents();
    return m_map.nameOfScanCode((lParam >> 16) & 0xFF);
}

} // namespace tvk
