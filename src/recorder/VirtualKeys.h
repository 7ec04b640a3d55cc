#pragma once

#include <cstdint>

namespace tvk::vk {

// Windows virtual-key codes: the neutral key vocabulary of recordings on every platform.
inline constexpr int32_t LButton = 1, RButton = 2, Cancel = 3, MButton = 4, XButton1 = 5, XButton2 = 6;
inline constexpr int32_t Back = 8, Tab = 9, Clear = 12, Return = 13;
inline constexpr int32_t Shift = 16, Control = 17, Menu = 18, Pause = 19, Capital = 20, Escape = 27, Space = 32;
inline constexpr int32_t Prior = 33, Next = 34, End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40;
inline constexpr int32_t Kana = 21, Kanji = 25, Convert = 28, NonConvert = 29, ModeChange = 31;
inline constexpr int32_t Select = 41, Execute = 43, Snapshot = 44, Insert = 45, Delete = 46, Help = 47;
inline constexpr int32_t Digit0 = 48, LetterA = 65, LetterZ = 90;
inline constexpr int32_t LWin = 91, RWin = 92, Apps = 93, Sleep = 95;
inline constexpr int32_t Numpad0 = 96, Multiply = 106, Add = 107, Separator = 108, Subtract = 109, Decimal = 110,
                         Divide = 111;
inline constexpr int32_t F1 = 112, F13 = 124, F24 = 135;
inline constexpr int32_t NumLock = 144, Scroll = 145, OemNecEqual = 146;
inline constexpr int32_t LShift = 160, RShift = 161, LControl = 162, RControl = 163, LMenu = 164, RMenu = 165;
inline constexpr int32_t BrowserBack = 166, BrowserForward = 167, BrowserRefresh = 168, BrowserStop = 169,
                         BrowserSearch = 170, BrowserFavorites = 171, BrowserHome = 172;
inline constexpr int32_t VolumeMute = 173, VolumeDown = 174, VolumeUp = 175;
inline constexpr int32_t MediaNextTrack = 176, MediaPrevTrack = 177, MediaStop = 178, MediaPlayPause = 179;
inline constexpr int32_t LaunchMail = 180, LaunchMediaSelect = 181, LaunchApp1 = 182, LaunchApp2 = 183;
inline constexpr int32_t Oem1 = 186, OemPlus = 187, OemComma = 188, OemMinus = 189, OemPeriod = 190, Oem2 = 191,
                         Oem3 = 192, Oem4 = 219, Oem5 = 220, Oem6 = 221, Oem7 = 222, Oem8 = 223, Oem102 = 226;

// The generic code of a sided modifier (160..165), or 0 for any other code.
constexpr int32_t genericOf(int32_t code) {
    switch (code) {
    case LShift:
    case RShift:
        return Shift;
    case LControl:
    case RControl:
        return Control;
    case LMenu:
    case RMenu:
        return Menu;
    default:
        return 0;
    }
}

} // namespace tvk::vk
