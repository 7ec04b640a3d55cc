// A small X client for the end-to-end test: one window that logs every key, button and motion
// event it receives, one line each, flushed at once. It takes the keyboard focus when clicked,
// as an ordinary application would. Usage: tvk_xlog <log file> <x> <y> <width> <height>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: tvk_xlog <log> <x> <y> <width> <height>\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return 1;
    FILE* log = std::fopen(argv[1], "w");
    if (!log) return 1;
    const int screen = DefaultScreen(dpy);
    const Window win = XCreateSimpleWindow(
        dpy, RootWindow(dpy, screen), std::atoi(argv[2]), std::atoi(argv[3]), static_cast<unsigned>(std::atoi(argv[4])),
        static_cast<unsigned>(std::atoi(argv[5])), 0, BlackPixel(dpy, screen), WhitePixel(dpy, screen));
    XStoreName(dpy, win, "tvk-xlog");
    // Where the test asked for it, also under a window manager that would otherwise place it itself.
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = std::atoi(argv[2]);
    hints.y = std::atoi(argv[3]);
    hints.width = std::atoi(argv[4]);
    hints.height = std::atoi(argv[5]);
    XSetWMNormalHints(dpy, win, &hints);
    XSelectInput(dpy, win,
                 KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                     StructureNotifyMask);
    XMapWindow(dpy, win);
    XFlush(dpy);
    for (;;) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        switch (ev.type) {
        case MapNotify:
            std::fprintf(log, "mapped\n");
            break;
        case KeyPress:
        case KeyRelease: {
            const KeySym sym = XLookupKeysym(&ev.xkey, 0);
            const char* name = XKeysymToString(sym);
            std::fprintf(log, "key %s %s\n", ev.type == KeyPress ? "down" : "up", name ? name : "?");
            break;
        }
        case ButtonPress:
        case ButtonRelease:
            std::fprintf(log, "button %s %u at %d %d\n", ev.type == ButtonPress ? "down" : "up", ev.xbutton.button,
                         ev.xbutton.x_root, ev.xbutton.y_root);
            if (ev.type == ButtonPress) XSetInputFocus(dpy, win, RevertToParent, CurrentTime);
            break;
        case MotionNotify:
            std::fprintf(log, "move %d %d\n", ev.xmotion.x_root, ev.xmotion.y_root);
            break;
        default:
            break;
        }
        std::fflush(log);
    }
}
