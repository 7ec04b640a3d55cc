#include "recorder/KeyNames.h"
#include "recorder/VirtualKeys.h"
#include "recorder/simulated/SimulatedBackend.h"

#include <gtest/gtest.h>

namespace tvk {
namespace {

TEST(KeyNamesTest, NamesComeFromTheScanCodeOfTheKey) {
    SimulatedBackend backend;
    const std::vector<std::pair<int32_t, std::string>> cases{
        {'A', "A"},
        {'7', "7"},
        {vk::Oem1, ";"},
        {vk::Oem5, "\\"},
        {vk::Return, "Enter"},
        {vk::Space, "Space"},
        {vk::Shift, "Shift"},
        {vk::RShift, "Right Shift"},
        {vk::Control, "Ctrl"},
        {vk::RMenu, "Right Alt"},
        {vk::F1, "F1"},
        {vk::F24, "F24"},
        {vk::Numpad0 + 5, "Num 5"},
        {vk::Decimal, "Num Del"},
        {vk::Escape, "Esc"},
        {vk::Next, "Page Down"},
        // No scan code, hence no name: mouse buttons, unassigned and out-of-range codes.
        {vk::LButton, ""},
        {vk::XButton2, ""},
        {7, ""},
        {0, ""},
        {256, ""},
        {-1, ""},
        {65 + 2 * 256, ""},
    };
    for (const auto& [code, name] : cases)
        EXPECT_EQ(backend.keyName(backend.scanCode(code)), name) << "key " << code;
}

TEST(KeyNamesTest, CharacterTableRoundTripsAndRejectsOtherCharacters) {
    for (int32_t code = 0; code <= 255; ++code) {
        const char ch = usLayoutCharacter(code);
        if (ch == 0 || code == vk::Oem102) continue; // the 102nd key shares the backslash
        EXPECT_EQ(virtualKeyOfCharacter(static_cast<unsigned char>(ch)), code) << "key " << code;
    }
    EXPECT_EQ(virtualKeyOfCharacter(U'q'), 'Q');
    EXPECT_EQ(virtualKeyOfCharacter(U'\u00e9'), 0);
    EXPECT_EQ(virtualKeyOfCharacter(U' '), 0);
}

TEST(SimulatedBackendTest, GenericModifierReadsAsEitherSide) {
    SimulatedBackend b;
    b.setKeyDown(vk::RControl, true);
    EXPECT_TRUE(b.isDown(vk::Control));
    EXPECT_TRUE(b.isDown(vk::RControl));
    EXPECT_FALSE(b.isDown(vk::LControl));
    b.sendKey(vk::Control, true); // the generic code presses the left side
    EXPECT_TRUE(b.isDown(vk::LControl));
    b.sendKey(vk::RControl, false);
    EXPECT_TRUE(b.isDown(vk::Control));
    b.sendKey(vk::LControl, false);
    EXPECT_FALSE(b.isDown(vk::Control));
    EXPECT_FALSE(b.isDown(0));
    EXPECT_FALSE(b.isDown(255));
}

TEST(SimulatedBackendTest, TimelineAppliesInOrderAndActionsWaitForAYield) {
    SimulatedBackend b;
    std::vector<int> ran;
    b.scheduleCursor(10, 1, 1);
    b.scheduleCursor(10, 2, 2); // same moment: scheduling order holds
    b.scheduleAction(5, [&] { ran.push_back(5); });
    b.scheduleAction(10, [&] {
        ran.push_back(10);
        b.scheduleAction(0, [&] { ran.push_back(0); }); // already due: runs in this yield
    });
    b.sleep(10);
    EXPECT_EQ(b.cursorPos(), (CursorPoint{2, 2}));
    EXPECT_TRUE(ran.empty()) << "sleeping runs no handler";
    b.yield();
    EXPECT_EQ(ran, (std::vector<int>{5, 10, 0}));
}

TEST(SimulatedBackendTest, TickCountWrapsAtThirtyTwoBits) {
    SimulatedBackend b;
    b.setTickBase(std::numeric_limits<int32_t>::max());
    b.sleep(2);
    EXPECT_EQ(b.tickCount(), std::numeric_limits<int32_t>::min() + 1);
}

TEST(SimulatedBackendTest, OnlyTheSimulatedUserPressesCountAndReachHotkeys) {
    SimulatedBackend b;
    b.holdElsewhere(vk::F1, modifier::Control);
    EXPECT_EQ(b.grabHotkey(1, vk::F1, modifier::Control), HotkeyGrab::Taken);
    EXPECT_EQ(b.grabHotkey(2, vk::F1 + 1, modifier::Control), HotkeyGrab::Grabbed);
    EXPECT_EQ(b.grabHotkey(3, vk::LButton, 0), HotkeyGrab::NoSuchKey);

    b.sendKey(vk::Control, true); // injected: no user press, no hotkey
    b.sendKey(vk::F1 + 1, true);
    b.sendKey(vk::F1 + 1, false);
    b.sendKey(vk::Control, false);
    EXPECT_EQ(b.userPressCount(vk::F1 + 1), 0u);
    EXPECT_TRUE(b.takeHotkeyPresses().empty());

    b.setKeyDown(vk::RControl, true);
    b.scheduleKey(5, vk::F1 + 1, true);
    b.scheduleKey(6, vk::F1 + 1, false);
    b.scheduleKey(7, vk::F1 + 1, true); // a second press of the held combination
    b.advance(std::chrono::milliseconds(10));
    EXPECT_EQ(b.userPressCount(vk::F1 + 1), 2u);
    EXPECT_EQ(b.userPressCount(vk::Control), 1u) << "a sided press counts for the generic key";
    EXPECT_EQ(b.takeHotkeyPresses(), (std::vector<int32_t>{2, 2}));
    EXPECT_TRUE(b.takeHotkeyPresses().empty());
    b.setKeyDown(vk::F1 + 1, false);
    b.setKeyDown(vk::LShift, true);
    b.setKeyDown(vk::F1 + 1, true); // other modifiers: not the hotkey
    EXPECT_TRUE(b.takeHotkeyPresses().empty());
}

} // namespace
} // namespace tvk
