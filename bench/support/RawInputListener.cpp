#include "RawInputListener.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace tvk::bench {

RawInputListener::RawInputListener() {
    Display* display = XOpenDisplay(nullptr);
    int eventBase = 0, errorBase = 0;
    if (!display) return;
    if (!XQueryExtension(display, "XInputExtension", &m_xiOpcode, &eventBase, &errorBase)) {
        XCloseDisplay(display);
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    for (int type : {XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress, XI_RawButtonRelease})
        XISetMask(bits, type);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof(bits)), bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XSync(display, False);
    m_display = display;
}

RawInputListener::~RawInputListener() {
    if (m_display) XCloseDisplay(m_display);
}

std::vector<uint32_t> RawInputListener::takeServerTimes() {
    std::vector<uint32_t> times;
    if (!m_display) return times;
    XSync(m_display, False);
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_xiOpcode || !XGetEventData(m_display, cookie))
            continue;
        times.push_back(static_cast<uint32_t>(static_cast<const XIRawEvent*>(cookie->data)->time));
        XFreeEventData(m_display, cookie);
    }
    return times;
}

} // namespace tvk::bench
