#include "recorder/VirtualKeys.h"
#include "recorder/x11/TapLatch.h"
#include "recorder/x11/X11Backend.h"
#include "recorder/x11/X11KeyMap.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// An evdev-like map with a US layout, as the default X server has.
X11KeyMap usMap() {
    X11KeyMap map;
    map.assign(38, "AC01", 'a');
    map.assign(10, "AE01", '1');
    map.assign(47, "AC10", ';');
    map.assign(50, "LFSH", 0xFFE1);
    map.assign(62, "RTSH", 0xFFE2);
    map.assign(36, "RTRN", 0xFF0D);
    map.assign(104, "KPEN", 0xFF8D);
    map.assign(84, "KP5", 0xFF9D);
    map.assign(91, "KPDL", 0xFF9F);
    map.assign(191, "FK13", 0);
    map.assign(92, "LVL3", 0xFE03);
    return map;
}

TEST(X11KeyMapTest, FixedKeysByNameCharacterKeysByLayout) {
    const X11KeyMap map = usMap();
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
        {104, {uint8_t(vk::Return)}, "Num Enter"},
        {84, {uint8_t(vk::Numpad0 + 5)}, "Num 5"},
        {91, {uint8_t(vk::Decimal)}, "Num Del"},
        {191, {uint8_t(vk::F13)}, "F13"},
        {92, {}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(map.virtualKeysOf(c.keycode), c.vks) << "keycode " << c.keycode;
        EXPECT_EQ(map.nameOfScanCode(c.keycode - 8), c.name) << "keycode " << c.keycode;
    }
    // Injection: the main Enter, the left side for a generic modifier, nothing for unmapped keys.
    EXPECT_EQ(map.keycodeOf(vk::Return), 36);
    EXPECT_EQ(map.keycodeOf(vk::Shift), 50);
    EXPECT_EQ(map.keycodeOf(vk::RShift), 62);
    EXPECT_EQ(map.keycodeOf(vk::F24), 0);
    EXPECT_EQ(map.keycodeOf(-1), 0);
    EXPECT_EQ(map.scanCodeOf('A'), 30);
    EXPECT_EQ(map.nameOfScanCode(300), "");
}

TEST(X11KeyMapTest, OtherLayoutsMoveLettersButKeepTheDigitRow) {
    X11KeyMap azerty;
    azerty.assign(24, "AD01", 'a'); // where QWERTY has Q
    azerty.assign(10, "AE01", '&'); // top row types punctuation, still the 1 key
    azerty.assign(47, "AC10", 'm');
    azerty.assign(48, "AC11", 0xF9);   // ù: no US key types it, keeps its position
    azerty.assign(34, "AD11", 0xFE52); // dead circumflex
    EXPECT_EQ(azerty.virtualKeysOf(24), std::vector<uint8_t>{'A'});
    EXPECT_EQ(azerty.virtualKeysOf(10), std::vector<uint8_t>{'1'});
    EXPECT_EQ(azerty.nameOfScanCode(10 - 8), "&");
    EXPECT_EQ(azerty.virtualKeysOf(47), std::vector<uint8_t>{'M'});
    EXPECT_EQ(azerty.virtualKeysOf(48), std::vector<uint8_t>{uint8_t(vk::Oem7)});
    EXPECT_EQ(azerty.nameOfScanCode(48 - 8), "\xC3\x99"); // Ù
    EXPECT_EQ(azerty.nameOfScanCode(34 - 8), "^");
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
