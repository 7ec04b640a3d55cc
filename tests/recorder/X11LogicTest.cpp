#include "recorder/VirtualKeys.h"
#include "recorder/x11/KeyInjector.h"
#include "recorder/x11/TapLatch.h"
#include "recorder/x11/WheelAccumulator.h"
#include "recorder/x11/X11Backend.h"
#include "recorder/x11/X11KeyMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace tvk {
namespace {

// Reports of successive polls for code 1, each with the given server state.
std::vector<bool> polls(TapLatch& latch, std::vector<bool> actual) {
    std::vector<bool> out;
    for (bool a : actual)
        out.push_back(latch.report(1, a));
    return out;
}

TEST(TapLatchTest, ShortTapsReadAsDownForOnePollThenUp) {
    TapLatch latch;
    EXPECT_EQ(polls(latch, {false}), std::vector<bool>{false});
    latch.observe(1, true);
    latch.observe(1, false); // both between two polls: the server already says up
    EXPECT_EQ(polls(latch, {false, false, false}), (std::vector<bool>{true, false, false}));

    // Two taps between polls come out as two taps.
    latch.observe(1, true);
    latch.observe(1, false);
    latch.observe(1, true);
    latch.observe(1, false);
    EXPECT_EQ(polls(latch, {false, false, false, false, false}), (std::vector<bool>{true, false, true, false, false}));
}

TEST(TapLatchTest, HeldKeysRepeatsAndReleaseThenPressAreKept) {
    TapLatch latch;
    latch.observe(1, true);
    latch.observe(1, true); // auto-repeat adds nothing
    EXPECT_EQ(polls(latch, {true, true}), (std::vector<bool>{true, true}));
    // Released and pressed again between two polls: the release is not lost.
    latch.observe(1, false);
    latch.observe(1, true);
    EXPECT_EQ(polls(latch, {true, true}), (std::vector<bool>{false, true}));
    // Without events the server's state wins (an event missed or a map change).
    EXPECT_EQ(polls(latch, {false, true}), (std::vector<bool>{false, true}));
    EXPECT_FALSE(latch.pending(1));
}

TEST(TapLatchTest, BurstsAreBoundedAndEndInTheLastState) {
    TapLatch latch;
    for (int i = 0; i < 1000; ++i) {
        latch.observe(1, true);
        latch.observe(1, false);
    }
    latch.observe(1, true);
    std::vector<bool> reports;
    while (latch.pending(1))
        reports.push_back(latch.report(1, true));
    EXPECT_LE(reports.size(), 8u);
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(reports.back()) << "the key is down at the end";
    for (size_t i = 0; i < reports.size(); ++i)
        EXPECT_EQ(reports[i], i % 2 == 0) << i;
    latch.observe(-1, true); // out of range codes are ignored
    latch.observe(256, true);
    EXPECT_TRUE(latch.report(300, true));
}

TEST(TapLatchTest, EachHandedOutTransitionKeepsItsEventTime) {
    TapLatch latch;
    uint32_t time = 0;
    EXPECT_FALSE(latch.report(1, false));
    EXPECT_FALSE(latch.reportedTime(1, time)) << "the server's state has no event time";
    latch.observe(1, true, 1000);
    latch.observe(1, false, 1004);
    EXPECT_TRUE(latch.report(1, false));
    ASSERT_TRUE(latch.reportedTime(1, time));
    EXPECT_EQ(time, 1000u);
    EXPECT_FALSE(latch.report(1, false));
    ASSERT_TRUE(latch.reportedTime(1, time));
    EXPECT_EQ(time, 1004u);
    EXPECT_FALSE(latch.report(1, false));
    EXPECT_FALSE(latch.reportedTime(1, time));
    // A burst beyond the bound keeps the newest time for the state it ends in.
    for (uint32_t i = 0; i < 20; ++i)
        latch.observe(1, i % 2 == 0, 2000 + i);
    while (latch.pending(1))
        latch.report(1, false);
    ASSERT_TRUE(latch.reportedTime(1, time));
    EXPECT_EQ(time, 2019u);
    EXPECT_FALSE(latch.reportedTime(-1, time));
}

X11Key key(int keycode, const char* name, unsigned long keysym, std::vector<std::string> aliases = {}) {
    return {keycode, name, keysym, std::move(aliases)};
}

// An evdev-like map with a US layout, as the default X server has.
std::vector<X11Key> usKeys() {
    return {
        key(38, "AC01", 'a'),         key(10, "AE01", '1'),
        key(47, "AC10", ';'),         key(50, "LFSH", 0xFFE1),
        key(62, "RTSH", 0xFFE2),      key(36, "RTRN", 0xFF0D),
        key(104, "KPEN", 0xFF8D),     key(84, "KP5", 0xFF9D),
        key(91, "KPDL", 0xFF9F),      key(191, "FK13", 0),
        key(92, "LVL3", 0xFE03),      key(108, "RALT", 0xFFEA),
        key(37, "LCTL", 0xFFE3),      key(64, "LALT", 0xFFE9),
        key(110, "HOME", 0xFF50),     key(172, "I172", 0x1008FF14),
        key(171, "I171", 0x1008FF17), key(166, "I166", 0x1008FF26),
        key(150, "I150", 0x1008FF2F), key(163, "I163", 0x1008FF19),
        key(123, "VOL+", 0x1008FF13), key(129, "I129", 0xFFAE, {"KPPT"}),
        key(247, "I247", 0),
    };
}

TEST(X11KeyMapTest, EveryKeyWithACodeIsFoundByNameOrKeysym) {
    const X11KeyMap map(usKeys());
    struct Case {
        int keycode;
        std::vector<uint8_t> vks;
        std::string name;
    };
    const std::vector<Case> cases{
        {38, {'A'}, "A"},
        {10, {'1'}, "1"},
        {47, {uint8_t(vk::Oem1)}, ";"},
        {50, {uint8_t(vk::LShift), uint8_t(vk::Shift)}, "Shift"},
        {62, {uint8_t(vk::RShift), uint8_t(vk::Shift)}, "Right Shift"},
        {108, {uint8_t(vk::RMenu), uint8_t(vk::Menu)}, "Right Alt"},
        {104, {uint8_t(vk::Return)}, "Num Enter"},
        {84, {uint8_t(vk::Numpad0 + 5)}, "Num 5"},
        {91, {uint8_t(vk::Decimal)}, "Num Del"},
        {191, {uint8_t(vk::F13)}, "F13"},
        {172, {uint8_t(vk::MediaPlayPause)}, "Play/Pause"},
        {171, {uint8_t(vk::MediaNextTrack)}, "Next Track"},
        {166, {uint8_t(vk::BrowserBack)}, "Browser Back"},
        {150, {uint8_t(vk::Sleep)}, "Sleep"},
        {163, {uint8_t(vk::LaunchMail)}, "Mail"},
        {123, {uint8_t(vk::VolumeUp)}, "Volume Up"},
        {129, {uint8_t(vk::Decimal)}, "Num Del"}, // known by its alias
        {247, {}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(map.virtualKeysOf(c.keycode), c.vks) << "keycode " << c.keycode;
        EXPECT_EQ(map.nameOfScanCode(c.keycode - 8), c.name) << "keycode " << c.keycode;
    }
    // Injection: the main Enter, the left side for a generic modifier, nothing for unmapped keys.
    EXPECT_EQ(map.keycodeOf(vk::Return), 36);
    EXPECT_EQ(map.keycodeOf(vk::Shift), 50);
    EXPECT_EQ(map.keycodeOf(vk::RShift), 62);
    EXPECT_EQ(map.keycodeOf(vk::Menu), 64);
    EXPECT_EQ(map.keycodeOf(vk::RMenu), 108) << "the right Alt key, not the extra level-3 key";
    EXPECT_FALSE(map.rightAltIsAltGr());
    EXPECT_EQ(map.keycodeOf(vk::MediaPlayPause), 172);
    EXPECT_EQ(map.keycodeOf(vk::F24), 0);
    EXPECT_EQ(map.keycodeOf(-1), 0);
    EXPECT_EQ(map.scanCodeOf('A'), 30);
    EXPECT_EQ(map.nameOfScanCode(300), "");
    EXPECT_EQ(map.spareKeycodes(), std::vector<int>{247});
    // Keys no layout has are injected through a spare key code given their keysym.
    EXPECT_EQ(keysymOfVirtualKey(vk::Separator), 0xFFACul);
    EXPECT_EQ(keysymOfVirtualKey(vk::F24), 0xFFD5ul);
    EXPECT_EQ(keysymOfVirtualKey(vk::MediaPlayPause), 0x1008FF14ul);
    EXPECT_EQ(keysymOfVirtualKey('A'), 0ul);
}

TEST(X11KeyMapTest, KeypadKeysFollowNumLock) {
    const X11KeyMap map(usKeys());
    EXPECT_EQ(map.virtualKeysOf(84, true), std::vector<uint8_t>{uint8_t(vk::Numpad0 + 5)});
    EXPECT_EQ(map.virtualKeysOf(84, false), std::vector<uint8_t>{uint8_t(vk::Clear)});
    EXPECT_EQ(map.virtualKeysOf(91, false), std::vector<uint8_t>{uint8_t(vk::Delete)});
    EXPECT_EQ(map.virtualKeysOf(38, false), std::vector<uint8_t>{'A'});
    EXPECT_EQ(map.keycodeOf(vk::Home), 110) << "the main Home key injects Home";
}

TEST(X11KeyMapTest, AltGrIsLeftCtrlWithRightAlt) {
    auto keys = usKeys();
    for (auto& k : keys) {
        if (k.xkbName == "RALT") k.keysym = 0xFE03; // ISO_Level3_Shift, as on a German layout
    }
    const X11KeyMap map(keys);
    EXPECT_EQ(map.virtualKeysOf(108), (std::vector<uint8_t>{uint8_t(vk::RMenu), uint8_t(vk::Menu),
                                                            uint8_t(vk::LControl), uint8_t(vk::Control)}));
    EXPECT_TRUE(map.rightAltIsAltGr());
    EXPECT_EQ(map.keycodeOf(vk::RMenu), 108);
    EXPECT_EQ(map.keycodeOf(vk::LControl), 37);
    EXPECT_EQ(map.keycodeOf(vk::Control), 37);
}

TEST(X11KeyMapTest, OtherLayoutsKeepCodesDistinctAndNameKeysByTheirCharacter) {
    // French: letters and '!' by character, the top row keeps its digits.
    const X11KeyMap azerty({key(24, "AD01", 'a'), key(38, "AC01", 'q'), key(10, "AE01", '&'), key(47, "AC10", 'm'),
                            key(48, "AC11", 0xF9),   // ù: no US key types it, keeps its position
                            key(34, "AD11", 0xFE52), // dead circumflex
                            key(61, "AB10", '!')});
    EXPECT_EQ(azerty.virtualKeysOf(24), std::vector<uint8_t>{'A'});
    EXPECT_EQ(azerty.virtualKeysOf(10), std::vector<uint8_t>{'1'});
    EXPECT_EQ(azerty.nameOfScanCode(10 - 8), "&");
    EXPECT_EQ(azerty.virtualKeysOf(47), std::vector<uint8_t>{'M'});
    EXPECT_EQ(azerty.virtualKeysOf(48), std::vector<uint8_t>{uint8_t(vk::Oem7)});
    EXPECT_EQ(azerty.nameOfScanCode(48 - 8), "\xC3\x99"); // Ù
    EXPECT_EQ(azerty.nameOfScanCode(34 - 8), "^");
    EXPECT_EQ(azerty.virtualKeysOf(61), std::vector<uint8_t>{uint8_t(vk::Oem8)});

    // German: '-' sits where US has '/', and ß where US has '-': both keys keep codes of their own.
    const X11KeyMap german({key(20, "AE11", 0xDF), key(61, "AB10", '-'), key(48, "AC11", 0xE4), key(29, "AD06", 'z')});
    EXPECT_EQ(german.virtualKeysOf(61), std::vector<uint8_t>{uint8_t(vk::OemMinus)});
    ASSERT_EQ(german.virtualKeysOf(20).size(), 1u);
    EXPECT_NE(german.virtualKeysOf(20)[0], uint8_t(vk::OemMinus));
    EXPECT_EQ(german.keycodeOf(vk::OemMinus), 61) << "replaying '-' must not type ß";
    EXPECT_EQ(german.keycodeOf(german.virtualKeysOf(20)[0]), 20);
    EXPECT_EQ(german.virtualKeysOf(48), std::vector<uint8_t>{uint8_t(vk::Oem7)});
    EXPECT_EQ(german.nameOfScanCode(48 - 8), "\xC3\x84"); // Ä
    EXPECT_EQ(german.virtualKeysOf(29), std::vector<uint8_t>{'Z'});

    // Russian (legacy Cyrillic keysyms): every key at its US position, named by its letter.
    const X11KeyMap russian(
        {key(24, "AD01", 0x6CA), key(47, "AC10", 0x6D6), key(61, "AB10", '.'), key(60, "AB09", 0x6C0)});
    EXPECT_EQ(russian.virtualKeysOf(24), std::vector<uint8_t>{'Q'});
    EXPECT_EQ(russian.nameOfScanCode(24 - 8), "\xD0\x99"); // Й
    EXPECT_EQ(russian.virtualKeysOf(47), std::vector<uint8_t>{uint8_t(vk::Oem1)});
    EXPECT_EQ(russian.nameOfScanCode(47 - 8), "\xD0\x96"); // Ж
    EXPECT_EQ(russian.virtualKeysOf(61), std::vector<uint8_t>{uint8_t(vk::Oem2)});
    EXPECT_EQ(russian.virtualKeysOf(60), std::vector<uint8_t>{uint8_t(vk::OemPeriod)});
    EXPECT_EQ(keysymText(0x7E1), "\xCE\x91"); // Greek alpha names as capital alpha
}

// What the injector typed: key code, + for a press, - for a release.
struct Typed {
    std::vector<std::string> log;
    KeyInjector::Keyboard keyboard(bool altGr) {
        KeyInjector::Keyboard k;
        k.keycodeOf = [](int32_t code) {
            switch (code) {
            case vk::Shift:
            case vk::LShift:
                return 50;
            case vk::RShift:
                return 62;
            case vk::Control:
            case vk::LControl:
                return 37;
            case vk::Menu:
            case vk::LMenu:
                return 64;
            case vk::RMenu:
                return 108;
            case 'Q':
                return 24;
            default:
                return 0;
            }
        };
        k.rightAltIsAltGr = altGr;
        k.emit = [this](int keycode, bool press) { log.push_back((press ? "+" : "-") + std::to_string(keycode)); };
        return k;
    }
};

TEST(KeyInjectorTest, ChordsOfGenericSidedAndAltGrBecomeOneKey) {
    struct Step {
        int32_t vk;
        bool press;
    };
    struct Case {
        const char* what;
        bool altGr;
        std::vector<Step> steps;
        std::vector<std::string> typed;
    };
    const std::vector<Case> cases{
        {"AltGr+Q as Windows records it",
         true,
         {{vk::Control, true},
          {vk::Menu, true},
          {vk::LControl, true},
          {vk::RMenu, true},
          {'Q', true},
          {'Q', false},
          {vk::Control, false},
          {vk::Menu, false},
          {vk::LControl, false},
          {vk::RMenu, false}},
         {"+108", "+24", "-24", "-108"}},
        {"the same on a layout without AltGr: Ctrl with right Alt, never both Alts",
         false,
         {{vk::Control, true},
          {vk::Menu, true},
          {vk::LControl, true},
          {vk::RMenu, true},
          {'Q', true},
          {'Q', false},
          {vk::Control, false},
          {vk::Menu, false},
          {vk::LControl, false},
          {vk::RMenu, false}},
         {"+37", "+108", "+24", "-24", "-37", "-108"}},
        {"right Shift: one key",
         true,
         {{vk::Shift, true}, {vk::RShift, true}, {'Q', true}, {vk::Shift, false}, {'Q', false}, {vk::RShift, false}},
         {"+62", "+24", "-24", "-62"}},
        {"left Ctrl alone goes down before the next key",
         true,
         {{vk::Control, true},
          {vk::LControl, true},
          {'Q', true},
          {'Q', false},
          {vk::LControl, false},
          {vk::Control, false}},
         {"+37", "+24", "-24", "-37"}},
        {"a generic code alone presses the left key",
         false,
         {{vk::Shift, true}, {'Q', true}, {vk::Shift, false}},
         {"+50", "+24", "-50"}},
        {"a release of what was never pressed still reaches the server", false, {{'Q', false}, {200, true}}, {"-24"}},
    };
    for (const auto& c : cases) {
        Typed typed;
        KeyInjector injector;
        const auto keyboard = typed.keyboard(c.altGr);
        for (const auto& step : c.steps)
            injector.key(keyboard, step.vk, step.press);
        injector.flush(keyboard);
        EXPECT_EQ(typed.log, c.typed) << c.what;
    }
}

TEST(KeyInjectorTest, HeldBackPressesFlushAndHeldKeysAreReported) {
    Typed typed;
    KeyInjector injector;
    const auto keyboard = typed.keyboard(true);
    injector.key(keyboard, vk::Control, true);
    injector.key(keyboard, vk::LControl, true);
    EXPECT_TRUE(typed.log.empty());
    EXPECT_TRUE(injector.hasPending());
    EXPECT_EQ(injector.heldKeys(), (std::vector<int32_t>{vk::Control, vk::LControl}));
    injector.flush(keyboard); // e.g. before a click: Ctrl+click
    EXPECT_EQ(typed.log, std::vector<std::string>{"+37"});
    EXPECT_FALSE(injector.hasPending());
    injector.key(keyboard, -1, true); // out of range: ignored
    injector.key(keyboard, 256, false);
    EXPECT_EQ(injector.heldKeys(), (std::vector<int32_t>{vk::Control, vk::LControl}));
}

TEST(WheelAccumulatorTest, ButtonsAndSmoothScrollingSumTo120thsOfANotch) {
    struct Case {
        const char* what;
        std::function<void(WheelAccumulator&)> turn;
        int32_t vertical, horizontal;
    };
    const std::vector<Case> cases{
        {"buttons 4 to 7: up, down, left, right",
         [](WheelAccumulator& w) {
             for (int b : {4, 4, 5, 6, 7, 7, 7, 1, 8})
                 w.button(b, false);
         },
         120, 240},
        {"clicks a smooth device emulates are not counted twice",
         [](WheelAccumulator& w) {
             w.button(5, true);
             w.scroll(WheelAxis::Vertical, 15, 15);
         },
         -120, 0},
        {"a quarter notch each time; the fractions add up",
         [](WheelAccumulator& w) {
             for (int i = 0; i < 3; ++i)
                 w.scroll(WheelAxis::Vertical, -2.5, 10);
             w.scroll(WheelAxis::Horizontal, 1, 3);
         },
         90, 40},
        {"a negative increment scrolls the other way; nonsense is ignored",
         [](WheelAccumulator& w) {
             w.scroll(WheelAxis::Vertical, 1, -1);
             w.scroll(WheelAxis::Vertical, 1, 0);
             w.scroll(WheelAxis::Vertical, std::numeric_limits<double>::infinity(), 1);
             w.scroll(WheelAxis::Vertical, std::numeric_limits<double>::quiet_NaN(), 1);
         },
         120, 0},
        {"an endless turn stays within 32 bits", [](WheelAccumulator& w) { w.scroll(WheelAxis::Horizontal, 1e300, 1); },
         0, std::numeric_limits<int32_t>::max()},
    };
    for (const auto& c : cases) {
        WheelAccumulator wheel;
        c.turn(wheel);
        const WheelTurns turns = wheel.take();
        EXPECT_EQ(turns.vertical, c.vertical) << c.what;
        EXPECT_EQ(turns.horizontal, c.horizontal) << c.what;
    }
    // Fractions carry to the next take; whole turns do not repeat.
    WheelAccumulator wheel;
    wheel.scroll(WheelAxis::Vertical, -1, 3); // 40
    wheel.scroll(WheelAxis::Vertical, -0.01, 3);
    EXPECT_EQ(wheel.take().vertical, 40);
    wheel.scroll(WheelAxis::Vertical, -0.02, 3);
    EXPECT_EQ(wheel.take().vertical, 1);
    EXPECT_EQ(wheel.take().vertical, 0);
}

TEST(X11BackendStartTest, ABackendThatCannotConnectSaysWhyAndDoesNothing) {
    // A display that cannot exist: the connection is only tried when asked for, and fails.
    auto backend = makeX11Backend("unix:-1");
    ASSERT_TRUE(backend);
    backend->sendKey(vk::Escape, true); // before start: tries, fails, does nothing
    std::string why;
    EXPECT_FALSE(backend->start(&why));
    EXPECT_EQ(why, "cannot open the X display");
    EXPECT_FALSE(backend->isDown(vk::Escape));
    KeyStateTable states{};
    states.fill(true);
    backend->readKeyStates(states);
    EXPECT_EQ(std::count(states.begin(), states.end(), true), 0);
    EXPECT_EQ(backend->scanCode('A'), 0u);
    EXPECT_EQ(backend->keyName(30), "");
    EXPECT_EQ(backend->userPressCount(vk::Escape), 0u);
    EXPECT_EQ(backend->grabHotkey(1, vk::F1, modifier::Control), HotkeyGrab::Unsupported);
    EXPECT_TRUE(backend->takeHotkeyPresses().empty());
    backend->turnWheel(WheelAxis::Vertical, 120);
    EXPECT_FALSE(createX11Backend("unix:-1", &why));
}

} // namespace
} // namespace tvk
