// The X11 backend's wheel, user-press and hotkey services against a real X server.
#include "X11Fixture.h"

#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"

#include <X11/keysym.h>

#include <thread>

namespace tvk::testing {
namespace {

using namespace std::chrono_literals;

using X11ServicesTest = X11Fixture;

TEST_F(X11ServicesTest, WheelClicksOneButtonPerNotchAndCarriesTheRest) {
    driver->showLoggingWindow();
    backend->moveCursor(100, 100);
    const std::vector<std::pair<WheelAxis, int32_t>> turns{
        {WheelAxis::Vertical, 60},     // half a notch: nothing yet
        {WheelAxis::Vertical, 60},     // completes it: one click up
        {WheelAxis::Vertical, -250},   // two clicks down, 10 left over
        {WheelAxis::Horizontal, 130},  // one click right, the vertical rest stays apart
        {WheelAxis::Horizontal, -250}, // with the 10 kept: two clicks left
        {WheelAxis::Vertical, 110},    // with the -10 kept: 100, not yet a notch
    };
    for (const auto& [axis, delta] : turns)
        backend->turnWheel(axis, delta);
    const std::vector<unsigned> expected{4, 5, 5, 7, 6, 6};
    const auto presses = [](const std::vector<XEvent>& events) {
        std::vector<unsigned> out;
        for (const auto& e : events)
            if (e.type == ButtonPress) out.push_back(e.xbutton.button);
        return out;
    };
    driver->collect([&](const std::vector<XEvent>& events) { return presses(events).size() >= expected.size(); }, 10s);
    EXPECT_EQ(presses(driver->logged()), expected);
}

TEST_F(X11ServicesTest, InjectedPressesAreNotTheUsersButAnotherClientsAre) {
    const int escape = driver->keycodeOfName("ESC");
    ASSERT_GT(escape, 8);
    const uint64_t before = backend->userPressCount(vk::Escape);
    for (int i = 0; i < 3; ++i) {
        backend->sendKey(vk::Escape, true);
        backend->sendKey(vk::Escape, false);
    }
    // A press of another client comes after ours: once it is counted, ours have been seen too.
    driver->tapKey(escape);
    ASSERT_TRUE(eventually([&] { return backend->userPressCount(vk::Escape) > before; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(backend->userPressCount(vk::Escape), before + 1);
    EXPECT_EQ(backend->userPressCount(vk::Return), 0u);
}

TEST_F(X11ServicesTest, EventsReadAlongWithAReplyAreSeenAtOnce) {
    // The backend's own round trip takes the raw events of another client's tap off the socket
    // into its queue: the next question still sees them, though the socket holds nothing more.
    const int escape = driver->keycodeOfName("ESC");
    ASSERT_GT(escape, 8);
    const uint64_t before = backend->userPressCount(vk::Escape);
    driver->tapKey(escape);
    backend->settle();
    EXPECT_EQ(backend->userPressCount(vk::Escape), before + 1);
}

TEST_F(X11ServicesTest, ReplayStopsAtTheUsersEscapeButNotAtTheEscapesItTypes) {
    const int escape = driver->keycodeOfName("ESC");
    ASSERT_GT(escape, 8);
    auto list = std::make_shared<clsEvents>();
    for (int i = 0; i < 5; ++i) {
        list->AddEvent(KeyBoard, true, 0, 0, vk::Escape);
        list->AddEvent(KeyBoard, false, 0, 0, vk::Escape);
        list->AddEvent(Wait, false, 0, 0, 15);
    }
    auto recorder = std::make_shared<clsRecorder>(backend);
    recorder->Events = list;
    recorder->setStopKey(vk::Escape);
    recorder->watchStopKey(true);
    int passes = 0;
    int passesAtTap = -1;
    backend->setYield([&] {
        if (passes == 4 && passesAtTap < 0) {
            passesAtTap = passes;
            driver->tapKey(escape); // the user, on another connection
        }
    });
    while (!recorder->stoppedByUser() && passes < 200) {
        recorder->ReplayEvents(0, -1);
        ++passes;
    }
    backend->setYield(nullptr);
    recorder->releaseHeldInput();
    EXPECT_TRUE(recorder->stoppedByUser());
    EXPECT_EQ(passesAtTap, 4) << "four passes of typed Escapes did not stop it";
    EXPECT_LT(passes, 200);
}

TEST_F(X11ServicesTest, HotkeysWorkUnderLockModifiersAndATakenOneIsReported) {
    const int f9 = driver->keycodeOfName("FK09");
    const int f10 = driver->keycodeOfName("FK10");
    const int control = driver->keycodeOfName("LCTL");
    const int caps = driver->keycodeOfName("CAPS");
    const int numLock = driver->keycodeOfName("NMLK");
    ASSERT_TRUE(f9 > 8 && f10 > 8 && control > 8 && caps > 8 && numLock > 8);
    // Another program holds Ctrl+F9.
    XGrabKey(driver->display(), f9, ControlMask, DefaultRootWindow(driver->display()), False, GrabModeAsync,
             GrabModeAsync);
    XSync(driver->display(), False);

    EXPECT_EQ(backend->grabHotkey(1, vk::F1 + 8, modifier::Control), HotkeyGrab::Taken);
    EXPECT_EQ(backend->grabHotkey(2, vk::F1 + 9, modifier::Control), HotkeyGrab::Grabbed);
    EXPECT_EQ(backend->grabHotkey(3, vk::F1 + 9, modifier::Control | modifier::Shift), HotkeyGrab::Grabbed);
    EXPECT_EQ(backend->grabHotkey(4, vk::LButton, 0), HotkeyGrab::NoSuchKey);

    const auto pressCtrlF10 = [&] {
        driver->key(control, true);
        driver->tapKey(f10);
        driver->key(control, false);
    };
    std::vector<int32_t> seen;
    const auto collect = [&](size_t count) {
        return eventually([&] {
            for (int32_t id : backend->takeHotkeyPresses())
                seen.push_back(id);
            return seen.size() >= count;
        });
    };
    pressCtrlF10();
    ASSERT_TRUE(collect(1));
    driver->tapKey(caps); // Caps Lock on
    pressCtrlF10();
    ASSERT_TRUE(collect(2));
    driver->tapKey(numLock); // and Num Lock
    pressCtrlF10();
    ASSERT_TRUE(collect(3));
    driver->tapKey(caps);
    driver->tapKey(numLock);
    driver->tapKey(f10); // without Ctrl: no hotkey
    std::this_thread::sleep_for(100ms);
    for (int32_t id : backend->takeHotkeyPresses())
        seen.push_back(id);
    EXPECT_EQ(seen, (std::vector<int32_t>{2, 2, 2}));

    // Given back, the combination is free for another program.
    backend->releaseHotkeys();
    XUngrabKey(driver->display(), f9, ControlMask, DefaultRootWindow(driver->display()));
    XSync(driver->display(), False);
    EXPECT_EQ(backend->grabHotkey(1, vk::F1 + 8, modifier::Control), HotkeyGrab::Grabbed);
    backend->releaseHotkeys();
}

} // namespace
} // namespace tvk::testing
