#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tvk::testing {

// The test's own X client: injects input through XTest on a connection separate from the
// backend's, and can show a window that logs the events it receives.
class XDriver {
public:
    explicit XDriver(const char* displayName);
    ~XDriver();
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;

    bool ok() const { return m_display != nullptr; }
    Display* display() const { return m_display; }

    // Key code of an XKB key name ("AC01", "FK13", "KPDL"), 0 when the map has none.
    int keycodeOfName(const std::string& xkbName) const;
    int keycodeOfKeysym(unsigned long keysym) const;
    // Press and release with nothing in between: too short for a 10 ms poll to see.
    void tapKey(int keycode);
    void key(int keycode, bool press);
    void tapButton(unsigned button);
    void warp(int x, int y);
    // Pointer position and whether any key is down, from the server.
    std::pair<int, int> pointer() const;
    bool anyKeyDown() const;

    // A full-screen window with the keyboard focus that logs keys, buttons and motion.
    void showLoggingWindow();
    // Reads the window's events until `done` holds for what was logged or the timeout passes.
    bool collect(const std::function<bool(const std::vector<XEvent>&)>& done, std::chrono::seconds timeout);
    const std::vector<XEvent>& logged() const { return m_logged; }

private:
    Display* m_display = nullptr;
    Window m_window = 0;
    std::vector<XEvent> m_logged;
};

// True when the X tests may run; otherwise they skip, or fail when TVK_REQUIRE_X is set.
const char* displayForTests();

} // namespace tvk::testing
