// GoogleTest comes before the X headers, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "XDriver.h"

#include "recorder/KeyNames.h"
#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"
#include "recorder/x11/X11Backend.h"

#include <X11/keysym.h>

#include <cstdlib>
#include <deque>
#include <thread>

namespace tvk::testing {
namespace {

using namespace std::chrono_literals;

struct Recorded {
    int32_t type;
    bool pressed;
    int32_t data;
    friend bool operator==(const Recorded&, const Recorded&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Recorded& r) {
        return os << "{type " << r.type << ", data " << r.data << (r.pressed ? ", down}" : "}");
    }
};

// An event the logging window received: type, key code or button, root position for buttons.
struct Seen {
    int type;
    unsigned detail;
    int x, y;
    friend bool operator==(const Seen&, const Seen&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Seen& s) {
        return os << "{type " << s.type << ", " << s.detail << " @" << s.x << "," << s.y << "}";
    }
};

class X11BackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* name = displayForTests();
        if (!name) {
            if (std::getenv("TVK_REQUIRE_X")) FAIL() << "TVK_REQUIRE_X is set but DISPLAY is not";
            GTEST_SKIP() << "no DISPLAY";
        }
        driver = std::make_unique<XDriver>(name);
        ASSERT_TRUE(driver->ok()) << "cannot open " << name;
        std::string why;
        backend = createX11Backend(name, &why);
        ASSERT_TRUE(backend) << why;
    }

    // Non-Wait events of a list, without moves unless asked for.
    static std::vector<Recorded> changesOf(const clsEvents& list, bool withMoves = false) {
        std::vector<Recorded> out;
        for (int32_t i = 0; i < list.EventCount; ++i) {
            const int32_t type = list.EventType(i);
            if (type == Wait || (type == MouseMove && !withMoves)) continue;
            out.push_back({type, list.EventPressed(i) != 0, list.EventData(i)});
        }
        return out;
    }

    std::unique_ptr<XDriver> driver;
    std::shared_ptr<InputBackend> backend;
};

TEST_F(X11BackendTest, KeyNamesAndScanCodesFollowTheServerKeyMap) {
    const std::vector<std::pair<int32_t, std::string>> names{
        {'A', "A"},
        {'1', "1"},
        {vk::Oem1, ";"},
        {vk::Oem7, "'"},
        {vk::Return, "Enter"},
        {vk::Space, "Space"},
        {vk::Shift, "Shift"},
        {vk::RShift, "Right Shift"},
        {vk::Control, "Ctrl"},
        {vk::F1, "F1"},
        {vk::F13, "F13"},
        {vk::F24, "F24"},
        {vk::Numpad0 + 5, "Num 5"},
        {vk::Decimal, "Num Del"},
        {vk::Escape, "Esc"},
        {vk::LButton, ""},
    };
    for (const auto& [code, name] : names)
        EXPECT_EQ(backend->keyName(backend->scanCode(code)), name) << "key " << code;

    // Scan codes are the server's key codes less 8; fixed keys are found by their XKB names.
    const std::vector<std::pair<int32_t, int>> keys{
        {'A', driver->keycodeOfKeysym(XK_a)},         {vk::F13, driver->keycodeOfName("FK13")},
        {vk::Decimal, driver->keycodeOfName("KPDL")}, {vk::Shift, driver->keycodeOfName("LFSH")},
        {vk::RMenu, driver->keycodeOfName("RALT")},   {vk::Numpad0, driver->keycodeOfName("KP0")},
    };
    for (const auto& [code, keycode] : keys) {
        ASSERT_GT(keycode, 8) << "key " << code << " missing from the server's map";
        EXPECT_EQ(backend->scanCode(code), static_cast<uint32_t>(keycode - 8)) << "key " << code;
    }
    EXPECT_EQ(backend->scanCode(vk::LButton), 0u);
}

TEST_F(X11BackendTest, RecordingSeesTapsModifiersAllButtonsAndMoves) {
    auto list = std::make_shared<clsEvents>();
    list->MouseUpDetail = 20;
    auto recorder = std::make_shared<clsRecorder>(backend);
    recorder->Events = list;
    driver->warp(5, 5);

    const int keyA = driver->keycodeOfKeysym(XK_a);
    const int rightShift = driver->keycodeOfName("RTSH");
    const int f13 = driver->keycodeOfName("FK13");
    const int keypadDecimal = driver->keycodeOfName("KPDL");
    ASSERT_TRUE(keyA && rightShift && f13 && keypadDecimal);

    // Each step injects, then waits (polling the list) for what it must have recorded.
    struct Step {
        std::function<void()> inject;
        std::vector<Recorded> expected;
        bool withMoves = false;
    };
    const auto tapped = [](int32_t type, int32_t code) {
        return std::vector<Recorded>{{type, true, code}, {type, false, code}};
    };
    std::deque<Step> steps{
        {[&] { driver->tapKey(keyA); }, tapped(KeyBoard, 'A')},
        {[&] { driver->key(rightShift, true); }, {{KeyBoard, true, vk::Shift}, {KeyBoard, true, vk::RShift}}},
        {[&] { driver->key(rightShift, false); }, {{KeyBoard, false, vk::Shift}, {KeyBoard, false, vk::RShift}}},
        {[&] { driver->tapKey(f13); }, tapped(KeyBoard, vk::F13)},
        {[&] { driver->tapKey(keypadDecimal); }, tapped(KeyBoard, vk::Decimal)},
        {[&] { driver->tapButton(1); }, tapped(MouseClick, vk::LButton)},
        {[&] { driver->tapButton(3); }, tapped(MouseClick, vk::RButton)},
        {[&] { driver->tapButton(2); }, tapped(MouseClick, vk::MButton)},
        {[&] { driver->tapButton(8); }, tapped(MouseClick, vk::XButton1)},
        {[&] { driver->tapButton(9); }, tapped(MouseClick, vk::XButton2)},
        {[&] { driver->warp(321, 123); }, {{MouseMove, false, 0}}, true},
    };

    std::vector<Recorded> expected;
    size_t seenBefore = 0;
    bool stepRunning = false;
    std::string failure;
    auto deadline = std::chrono::steady_clock::now() + 20s;
    backend->setYield([&] {
        if (std::chrono::steady_clock::now() > deadline) {
            failure = "timed out waiting for " + std::to_string(expected.size()) + " changes";
            recorder->StopProcess();
            return;
        }
        if (stepRunning) {
            const auto got = changesOf(*list, steps.front().withMoves);
            if (got.size() < seenBefore + steps.front().expected.size()) return;
            steps.pop_front();
            stepRunning = false;
        }
        if (steps.empty()) {
            recorder->StopProcess();
            return;
        }
        seenBefore = changesOf(*list, steps.front().withMoves).size();
        expected.insert(expected.end(), steps.front().expected.begin(), steps.front().expected.end());
        steps.front().inject();
        stepRunning = true;
        deadline = std::chrono::steady_clock::now() + 20s;
    });
    recorder->InitiateRecording(10);
    backend->setYield(nullptr);

    ASSERT_TRUE(failure.empty()) << failure;
    auto got = changesOf(*list, false);
    std::erase_if(expected, [](const Recorded& r) { return r.type == MouseMove; });
    EXPECT_EQ(got, expected);
    // The last move lands where the pointer was sent, and clicks carry the cursor of their moment.
    int32_t lastMove = -1;
    for (int32_t i = 0; i < list->EventCount; ++i) {
        if (list->EventType(i) == MouseMove) lastMove = i;
        if (list->EventType(i) == MouseClick) {
            EXPECT_EQ(list->EventPosX(i), 5) << "index " << i;
            EXPECT_EQ(list->EventPosY(i), 5) << "index " << i;
        }
    }
    ASSERT_GE(lastMove, 0);
    EXPECT_EQ(list->EventPosX(lastMove), 321);
    EXPECT_EQ(list->EventPosY(lastMove), 123);
}

TEST_F(X11BackendTest, TapsBeforeTheRecordingStartsAreNotRecorded) {
    // Input the backend saw while no recording ran (e.g. the keys that opened the menu) is history:
    // the first poll must report the present state, not replay what happened before.
    const int keyA = driver->keycodeOfKeysym(XK_a);
    ASSERT_TRUE(keyA);
    driver->tapKey(keyA);
    driver->tapButton(1);
    driver->tapKey(keyA);
    std::this_thread::sleep_for(200ms); // the raw events reach the backend's connection

    auto list = std::make_shared<clsEvents>();
    auto recorder = std::make_shared<clsRecorder>(backend);
    recorder->Events = list;
    int polls = 0;
    backend->setYield([&] {
        if (++polls == 10) recorder->StopProcess();
    });
    recorder->InitiateRecording(10);
    backend->setYield(nullptr);
    EXPECT_EQ(changesOf(*list), std::vector<Recorded>{});
}

TEST_F(X11BackendTest, ReplayReachesAWindowInOrderAndLeavesNothingDown) {
    driver->showLoggingWindow();
    auto list = std::make_shared<clsEvents>();
    list->MouseUpDetail = 50;
    list->MouseDownDetail = 50;
    auto recorder = std::make_shared<clsRecorder>(backend);
    recorder->Events = list;

    list->AddEvent(MouseClick, true, 200, 150, 1);
    list->AddEvent(MouseClick, false, 200, 150, 1);
    // As Windows records it: the generic and the sided code of Shift both go down and up.
    list->AddEvent(KeyBoard, true, 0, 0, vk::Shift);
    list->AddEvent(KeyBoard, true, 0, 0, vk::LShift);
    list->AddEvent(KeyBoard, true, 0, 0, 'A');
    list->AddEvent(KeyBoard, false, 0, 0, 'A');
    list->AddEvent(KeyBoard, false, 0, 0, vk::Shift); // the key stays down for the sided code
    list->AddEvent(KeyBoard, true, 0, 0, 'A');
    list->AddEvent(KeyBoard, false, 0, 0, 'A');
    list->AddEvent(KeyBoard, false, 0, 0, vk::LShift);
    const std::vector<std::pair<int32_t, unsigned>> buttons{{2, 3}, {4, 2}, {5, 8}, {6, 9}};
    for (const auto& [code, button] : buttons) {
        list->AddEvent(MouseClick, true, 300, 310, code);
        list->AddEvent(MouseClick, false, 300, 310, code);
    }
    list->AddEvent(MouseMove, false, 640, 480, 0);
    list->AddEvent(Wait, false, 0, 0, 100);
    recorder->ReplayEvents(0, -1);
    recorder->releaseHeldInput();

    const int shiftL = driver->keycodeOfName("LFSH");
    const int keyA = driver->keycodeOfKeysym(XK_a);
    const std::vector<Seen> expected{
        {ButtonPress, 1, 200, 150},           {ButtonRelease, 1, 200, 150},
        {KeyPress, unsigned(shiftL), -1, -1}, {KeyPress, unsigned(keyA), -1, -1},
        {KeyRelease, unsigned(keyA), -1, -1}, {KeyPress, unsigned(keyA), -1, -1},
        {KeyRelease, unsigned(keyA), -1, -1}, {KeyRelease, unsigned(shiftL), -1, -1},
        {ButtonPress, 3, 300, 310},           {ButtonRelease, 3, 300, 310},
        {ButtonPress, 2, 300, 310},           {ButtonRelease, 2, 300, 310},
        {ButtonPress, 8, 300, 310},           {ButtonRelease, 8, 300, 310},
        {ButtonPress, 9, 300, 310},           {ButtonRelease, 9, 300, 310},
    };
    const auto seen = [](const std::vector<XEvent>& events) {
        std::vector<Seen> out;
        for (const auto& e : events) {
            if (e.type == KeyPress || e.type == KeyRelease) out.push_back({e.type, e.xkey.keycode, -1, -1});
            if (e.type == ButtonPress || e.type == ButtonRelease) {
                out.push_back({e.type, e.xbutton.button, e.xbutton.x_root, e.xbutton.y_root});
            }
        }
        return out;
    };
    const bool complete = driver->collect(
        [&](const std::vector<XEvent>& events) {
            const auto& last = events.empty() ? nullptr : &events.back();
            return seen(events).size() >= expected.size() && last && last->type == MotionNotify &&
                   last->xmotion.x_root == 640 && last->xmotion.y_root == 480;
        },
        10s);
    EXPECT_TRUE(complete) << "events logged: " << driver->logged().size();
    EXPECT_EQ(seen(driver->logged()), expected);
    for (const auto& e : driver->logged()) {
        if (e.type == KeyPress && e.xkey.keycode == unsigned(keyA)) {
            EXPECT_TRUE(e.xkey.state & ShiftMask) << "A typed while Shift is down";
        }
    }
    EXPECT_EQ(driver->pointer(), std::make_pair(640, 480)) << "the glide comes to rest on its target";
    EXPECT_FALSE(driver->anyKeyDown());
}

TEST_F(X11BackendTest, ReleaseHeldInputLiftsWhatAReplayLeftDown) {
    auto list = std::make_shared<clsEvents>();
    auto recorder = std::make_shared<clsRecorder>(backend);
    recorder->Events = list;
    list->AddEvent(KeyBoard, true, 0, 0, vk::Control);
    list->AddEvent(KeyBoard, true, 0, 0, 'R');
    recorder->ReplayEvents(0, -1);
    XSync(driver->display(), False);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!driver->anyKeyDown() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(driver->anyKeyDown()) << "the replay pressed Ctrl+R";
    recorder->releaseHeldInput();
    while (driver->anyKeyDown() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(driver->anyKeyDown());
}

} // namespace
} // namespace tvk::testing
