#include "X11Fixture.h"

#include "recorder/KeyNames.h"
#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
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

class X11BackendTest : public X11Fixture {
protected:
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

    // Each step injects, then waits (polling the list) for what it must have recorded.
    struct Step {
        std::function<void()> inject;
        std::vector<Recorded> expected;
        bool withMoves = false;
    };
    // Records while the steps run, one after the other; adds what they expect to `expected`.
    // Returns what went wrong, empty when every step was recorded.
    std::string record(clsRecorder& recorder, clsEvents& list, std::deque<Step> steps,
                       std::vector<Recorded>& expected) {
        size_t seenBefore = 0;
        bool stepRunning = false;
        std::string failure;
        auto deadline = std::chrono::steady_clock::now() + 20s;
        backend->setYield([&] {
            if (std::chrono::steady_clock::now() > deadline) {
                failure = "timed out waiting for " + std::to_string(expected.size()) + " changes";
                recorder.StopProcess();
                return;
            }
            if (stepRunning) {
                const auto got = changesOf(list, steps.front().withMoves);
                if (got.size() < seenBefore + steps.front().expected.size()) return;
                steps.pop_front();
                stepRunning = false;
            }
            if (steps.empty()) {
                recorder.StopProcess();
                return;
            }
            seenBefore = changesOf(list, steps.front().withMoves).size();
            expected.insert(expected.end(), steps.front().expected.begin(), steps.front().expected.end());
            steps.front().inject();
            stepRunning = true;
            deadline = std::chrono::steady_clock::now() + 20s;
        });
        recorder.InitiateRecording(10);
        backend->setYield(nullptr);
        return failure;
    }

    bool numLockOn() const {
        XkbStateRec state{};
        XkbGetState(driver->display(), XkbUseCoreKbd, &state);
        return (state.locked_mods & XkbKeysymToModifiers(driver->display(), XK_Num_Lock)) != 0;
    }

    static std::vector<Recorded> tapped(int32_t type, int32_t code) {
        return {{type, true, code}, {type, false, code}};
    }
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
        {vk::MediaPlayPause, "Play/Pause"},
        {vk::BrowserBack, "Browser Back"},
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
    const int numLock = driver->keycodeOfName("NMLK");
    ASSERT_TRUE(keyA && rightShift && f13 && keypadDecimal && numLock);
    if (numLockOn()) driver->tapKey(numLock); // the keypad then types navigation keys

    std::deque<Step> steps{
        {[&] { driver->tapKey(keyA); }, tapped(KeyBoard, 'A')},
        {[&] { driver->key(rightShift, true); }, {{KeyBoard, true, vk::Shift}, {KeyBoard, true, vk::RShift}}},
        {[&] { driver->key(rightShift, false); }, {{KeyBoard, false, vk::Shift}, {KeyBoard, false, vk::RShift}}},
        {[&] { driver->tapKey(f13); }, tapped(KeyBoard, vk::F13)},
        {[&] { driver->tapKey(keypadDecimal); }, tapped(KeyBoard, vk::Delete)},
        {[&] { driver->tapKey(numLock); }, tapped(KeyBoard, vk::NumLock)},
        {[&] { driver->tapKey(keypadDecimal); }, tapped(KeyBoard, vk::Decimal)},
        {[&] { driver->tapKey(numLock); }, tapped(KeyBoard, vk::NumLock)},
        {[&] { driver->tapButton(1); }, tapped(MouseClick, vk::LButton)},
        {[&] { driver->tapButton(3); }, tapped(MouseClick, vk::RButton)},
        {[&] { driver->tapButton(2); }, tapped(MouseClick, vk::MButton)},
        {[&] { driver->tapButton(8); }, tapped(MouseClick, vk::XButton1)},
        {[&] { driver->tapButton(9); }, tapped(MouseClick, vk::XButton2)},
        {[&] { driver->warp(321, 123); }, {{MouseMove, false, 0}}, true},
    };
    std::vector<Recorded> expected;
    const std::string failure = record(*recorder, *list, std::move(steps), expected);
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

// Switches the server's layout for one test and back to US at its end.
class LayoutSwitch {
public:
    explicit LayoutSwitch(const char* display) : m_display(display) {}
    ~LayoutSwitch() { set("us"); }
    LayoutSwitch(const LayoutSwitch&) = delete;
    LayoutSwitch& operator=(const LayoutSwitch&) = delete;
    bool set(const std::string& layout) const {
        return std::system(("setxkbmap -display '" + m_display + "' " + layout).c_str()) == 0;
    }

private:
    std::string m_display;
};

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

TEST_F(X11BackendTest, LayoutsRecordAndReplayTheirCharactersAndMediaKeys) {
    struct Case {
        const char* layout;
        const char* xdotool; // what xdotool types
        std::vector<Recorded> recorded;
        unsigned long keysym; // what a window receives on replay
        std::string name;     // the name of the key that typed it
    };
    const auto tap = [](int32_t code) {
        return std::vector<Recorded>{{KeyBoard, true, code}, {KeyBoard, false, code}};
    };
    const std::vector<Recorded> altGrQ{{KeyBoard, true, vk::Control},   {KeyBoard, true, vk::Menu},
                                       {KeyBoard, true, vk::LControl},  {KeyBoard, true, vk::RMenu},
                                       {KeyBoard, true, 'Q'},           {KeyBoard, false, 'Q'},
                                       {KeyBoard, false, vk::Control},  {KeyBoard, false, vk::Menu},
                                       {KeyBoard, false, vk::LControl}, {KeyBoard, false, vk::RMenu}};
    const std::vector<Case> cases{
        {"de", "type @", altGrQ, XK_at, "Q"},
        {"de", "type \xC3\xA4", tap(vk::Oem7), XK_adiaeresis, "\xC3\x84"},
        {"ru", "type \xD0\xB6", tap(vk::Oem1), XK_Cyrillic_zhe, "\xD0\x96"},
        {"us", "key XF86AudioPlay", tap(vk::MediaPlayPause), 0x1008FF14, "Play/Pause"},
        {"us", "key XF86Back", tap(vk::BrowserBack), 0x1008FF26, "Browser Back"},
    };
    const std::string display = displayForTests();
    LayoutSwitch layouts(display.c_str());
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.layout) + " " + c.xdotool);
        ASSERT_TRUE(layouts.set(c.layout)) << "setxkbmap failed";
        auto list = std::make_shared<clsEvents>();
        auto recorder = std::make_shared<clsRecorder>(backend);
        recorder->Events = list;
        std::deque<Step> steps{{[&] { run("xdotool " + std::string(c.xdotool)); }, c.recorded}};
        std::vector<Recorded> expected;
        const std::string failure = record(*recorder, *list, std::move(steps), expected);
        ASSERT_TRUE(failure.empty()) << failure << "; recorded " << ::testing::PrintToString(changesOf(*list));
        EXPECT_EQ(changesOf(*list), c.recorded);
        EXPECT_EQ(recorder->unrecordedKeys(), 0);
        const int32_t named = c.recorded.back().data == vk::RMenu ? 'Q' : c.recorded.back().data;
        EXPECT_EQ(backend->keyName(backend->scanCode(named)), c.name);

        // Replayed into a window of a client that reads the new layout, the same character arrives.
        XDriver window(display.c_str());
        ASSERT_TRUE(window.ok());
        window.showLoggingWindow();
        recorder->ReplayEvents(0, -1);
        const auto typed = [&](const std::vector<XEvent>& events) {
            std::vector<unsigned long> out;
            for (auto e : events) {
                KeySym sym = NoSymbol;
                char text[16];
                if (e.type == KeyPress) XLookupString(&e.xkey, text, sizeof text, &sym, nullptr);
                if (sym != NoSymbol && !IsModifierKey(sym)) out.push_back(sym);
            }
            return out;
        };
        const auto allReleased = [&](const std::vector<XEvent>& events) {
            const auto count = [&](int type) {
                return std::count_if(events.begin(), events.end(), [&](const XEvent& e) { return e.type == type; });
            };
            return !typed(events).empty() && count(KeyRelease) >= count(KeyPress);
        };
        EXPECT_TRUE(window.collect(allReleased, 10s));
        EXPECT_EQ(typed(window.logged()), std::vector<unsigned long>{c.keysym});
        EXPECT_FALSE(window.anyKeyDown());
    }
}

TEST_F(X11BackendTest, KeysMissingFromTheLayoutAreInjectedAndKeysWithoutCodeCounted) {
    XDriver window(displayForTests());
    ASSERT_TRUE(window.ok());
    window.showLoggingWindow();
    auto list = std::make_shared<clsEvents>();
    auto recorder = std::make_shared<clsRecorder>(backend);
    recorder->Events = list;
    list->AddEvent(KeyBoard, true, 0, 0, vk::Separator); // no key of the US layout types it
    list->AddEvent(KeyBoard, false, 0, 0, vk::Separator);
    recorder->ReplayEvents(0, -1);
    const bool complete = window.collect(
        [](const std::vector<XEvent>& events) {
            return std::any_of(events.begin(), events.end(), [](const XEvent& e) { return e.type == KeyRelease; });
        },
        10s);
    ASSERT_TRUE(complete);
    auto press = window.logged().front();
    KeySym sym = NoSymbol;
    char text[16];
    XLookupString(&press.xkey, text, sizeof text, &sym, nullptr);
    EXPECT_EQ(sym, static_cast<KeySym>(XK_KP_Separator));

    // A key with no keysym has no code: it is counted, not recorded.
    const int bare = driver->keycodeOfName("I247") ? driver->keycodeOfName("I247") : 0;
    ASSERT_GT(bare, 8) << "the server's map has no key without keysym";
    std::deque<Step> steps{{[&] { driver->tapKey(bare); }, {}},
                           {[&] { driver->tapKey(driver->keycodeOfKeysym(XK_a)); }, {tapped(KeyBoard, 'A')}}};
    auto recorded = std::make_shared<clsEvents>();
    recorder->Events = recorded;
    std::vector<Recorded> expected;
    const std::string failure = record(*recorder, *recorded, std::move(steps), expected);
    ASSERT_TRUE(failure.empty()) << failure;
    EXPECT_EQ(changesOf(*recorded), tapped(KeyBoard, 'A'));
    EXPECT_EQ(recorder->unrecordedKeys(), 1);

    // The same key given the keypad separator's keysym (as a Brazilian keypad has it) is recorded.
    KeySym separator = XK_KP_Separator;
    XChangeKeyboardMapping(driver->display(), bare, 1, &separator, 1);
    XSync(driver->display(), False);
    auto again = std::make_shared<clsEvents>();
    recorder->Events = again;
    std::deque<Step> more{{[&] { driver->tapKey(bare); }, tapped(KeyBoard, vk::Separator)}};
    const std::string failed = record(*recorder, *again, std::move(more), expected);
    KeySym none = NoSymbol;
    XChangeKeyboardMapping(driver->display(), bare, 1, &none, 1);
    XSync(driver->display(), False);
    ASSERT_TRUE(failed.empty()) << failed;
    EXPECT_EQ(changesOf(*again), tapped(KeyBoard, vk::Separator));
    EXPECT_EQ(recorder->unrecordedKeys(), 0);
}

TEST_F(X11BackendTest, WheelClicksAreRecordedAndReplayedAsTurns) {
    auto list = std::make_shared<clsEvents>();
    auto recorder = std::make_shared<clsRecorder>(backend);
    recorder->Events = list;
    driver->warp(60, 70);
    const auto turn = [](int32_t delta, bool horizontal) {
        return std::vector<Recorded>{{MouseWheel, horizontal, delta}};
    };
    std::deque<Step> steps{
        {[&] { run("xdotool click 4"); }, turn(120, false)},
        {[&] { run("xdotool click 5"); }, turn(-120, false)},
        {[&] { run("xdotool click 6"); }, turn(-120, true)},
        {[&] { run("xdotool click 7"); }, turn(120, true)},
    };
    std::vector<Recorded> expected;
    const std::string failure = record(*recorder, *list, std::move(steps), expected);
    ASSERT_TRUE(failure.empty()) << failure << "; recorded " << ::testing::PrintToString(changesOf(*list));
    EXPECT_EQ(changesOf(*list), expected);
    for (int32_t i = 0; i < list->EventCount; ++i) {
        if (list->EventType(i) != MouseWheel) continue;
        EXPECT_EQ(std::make_pair(list->EventPosX(i), list->EventPosY(i)), std::make_pair(60, 70)) << i;
    }

    // Replayed: one click per notch at the recorded place, the part of a notch carried over.
    driver->showLoggingWindow();
    auto turns = std::make_shared<clsEvents>();
    recorder->Events = turns;
    turns->AddEvent(MouseWheel, false, 200, 210, 240);
    turns->AddEvent(MouseWheel, true, 200, 210, -60);
    turns->AddEvent(MouseWheel, true, 200, 210, -60);
    turns->AddEvent(MouseWheel, false, 200, 210, -120);
    recorder->ReplayEvents(0, -1);
    const auto presses = [](const std::vector<XEvent>& events) {
        std::vector<Seen> out;
        for (const auto& e : events) {
            if (e.type == ButtonPress) out.push_back({e.type, e.xbutton.button, e.xbutton.x_root, e.xbutton.y_root});
        }
        return out;
    };
    driver->collect([&](const std::vector<XEvent>& events) { return presses(events).size() >= 4; }, 10s);
    const std::vector<Seen> clicks{
        {ButtonPress, 4, 200, 210}, {ButtonPress, 4, 200, 210}, {ButtonPress, 6, 200, 210}, {ButtonPress, 5, 200, 210}};
    EXPECT_EQ(presses(driver->logged()), clicks);
}

} // namespace
} // namespace tvk::testing
