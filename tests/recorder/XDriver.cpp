#include "XDriver.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <cstring>
#include <thread>

namespace tvk::testing {

const char* displayForTests() {
    const char* name = std::getenv("DISPLAY");
    return name && *name ? name : nullptr;
}

XDriver::XDriver(const char* displayName) {
    // The server may refuse a connection now and then right after another client left.
    for (int attempt = 0; attempt < 10 && !m_display; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        m_display = XOpenDisplay(displayName);
    }
}

XDriver::~XDriver() {
    if (!m_display) return;
    if (m_window) XDestroyWindow(m_display, m_window);
    XCloseDisplay(m_display);
}

int XDriver::keycodeOfName(const std::string& xkbName) const {
    XkbDescPtr xkb = XkbGetMap(m_display, 0, XkbUseCoreKbd);
    if (!xkb) return 0;
    int found = 0;
    if (XkbGetNames(m_display, XkbKeyNamesMask, xkb) == Success && xkb->names && xkb->names->keys) {
        for (int kc = xkb->min_key_code; kc <= xkb->max_key_code && !found; ++kc) {
            if (std::string(xkb->names->keys[kc].name, strnlen(xkb->names->keys[kc].name, 4)) == xkbName) found = kc;
        }
    }
    XkbFreeNames(xkb, XkbKeyNamesMask, True);
    XkbFreeKeyboard(xkb, 0, True);
    return found;
}

int XDriver::keycodeOfKeysym(unsigned long keysym) const {
    return XKeysymToKeycode(m_display, keysym);
}

void XDriver::tapKey(int keycode) {
    XTestFakeKeyEvent(m_display, static_cast<unsigned>(keycode), True, CurrentTime);
    XTestFakeKeyEvent(m_display, static_cast<unsigned>(keycode), False, CurrentTime);
    XSync(m_display, False);
}

void XDriver::key(int keycode, bool press) {
    XTestFakeKeyEvent(m_display, static_cast<unsigned>(keycode), press, CurrentTime);
    XSync(m_display, False);
}

void XDriver::tapButton(unsigned button) {
    XTestFakeButtonEvent(m_display, button, True, CurrentTime);
    XTestFakeButtonEvent(m_display, button, False, CurrentTime);
    XSync(m_display, False);
}

void XDriver::warp(int x, int y) {
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), x, y, CurrentTime);
    XSync(m_display, False);
}

std::pair<int, int> XDriver::pointer() const {
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rx, &ry, &wx, &wy, &mask);
    return {rx, ry};
}

bool XDriver::anyKeyDown() const {
    char keys[32] = {};
    XQueryKeymap(m_display, keys);
    for (char k : keys) {
        if (k) return true;
    }
    return false;
}

void XDriver::showLoggingWindow() {
    const int screen = DefaultScreen(m_display);
    XSetWindowAttributes attrs{};
    attrs.override_redirect = True;
    attrs.event_mask =
        KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
    m_window = XCreateWindow(m_display, RootWindow(m_display, screen), 0, 0,
                             static_cast<unsigned>(DisplayWidth(m_display, screen)),
                             static_cast<unsigned>(DisplayHeight(m_display, screen)), 0, CopyFromParent, InputOutput,
                             CopyFromParent, CWOverrideRedirect | CWEventMask, &attrs);
    XMapRaised(m_display, m_window);
    XEvent event;
    do {
        XWindowEvent(m_display, m_window, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
    XSetInputFocus(m_display, m_window, RevertToPointerRoot, CurrentTime);
    XSync(m_display, False);
}

bool XDriver::collect(const std::function<bool(const std::vector<XEvent>&)>& done, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == KeyPress || event.type == KeyRelease || event.type == ButtonPress ||
                event.type == ButtonRelease || event.type == MotionNotify) {
                m_logged.push_back(event);
            }
        }
        if (done(m_logged)) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace tvk::testing
