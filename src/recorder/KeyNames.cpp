#include "recorder/KeyNames.h"

#include "recorder/VirtualKeys.h"

#include <array>
#include <utility>

namespace tvk {

namespace {

// Punctuation keys by their US-layout character.
constexpr std::array<std::pair<int32_t, char>, 11> kOemCharacters{{
    {vk::Oem1, ';'},
    {vk::OemPlus, '='},
    {vk::OemComma, ','},
    {vk::OemMinus, '-'},
    {vk::OemPeriod, '.'},
    {vk::Oem2, '/'},
    {vk::Oem3, '`'},
    {vk::Oem4, '['},
    {vk::Oem5, '\\'},
    {vk::Oem6, ']'},
    {vk::Oem7, '\''},
}};

} // namespace

std::string fixedKeyName(int32_t code) {
    if (code >= vk::F1 && code <= vk::F24) return std::string("F").append(std::to_string(code - vk::F1 + 1));
    if (code >= vk::Numpad0 && code <= vk::Numpad0 + 9) {
        return std::string("Num ").append(1, static_cast<char>('0' + code - vk::Numpad0));
    }
    switch (code) {
    case vk::Back:
        return "Backspace";
    case vk::Tab:
        return "Tab";
    case vk::Clear:
        return "Num 5";
    case vk::Return:
        return "Enter";
    case vk::Shift:
    case vk::LShift:
        return "Shift";
    case vk::RShift:
        return "Right Shift";
    case vk::Control:
    case vk::LControl:
        return "Ctrl";
    case vk::RControl:
        return "Right Ctrl";
    case vk::Menu:
    case vk::LMenu:
        return "Alt";
    case vk::RMenu:
        return "Right Alt";
    case vk::Pause:
        return "Pause";
    case vk::Capital:
        return "Caps Lock";
    case vk::Escape:
        return "Esc";
    case vk::Space:
        return "Space";
    case vk::Prior:
        return "Page Up";
    case vk::Next:
        return "Page Down";
    case vk::End:
        return "End";
    case vk::Home:
        return "Home";
    case vk::Left:
        return "Left";
    case vk::Up:
        return "Up";
    case vk::Right:
        return "Right";
    case vk::Down:
        return "Down";
    case vk::Snapshot:
        return "Prnt Scrn";
    case vk::Insert:
        return "Insert";
    case vk::Delete:
        return "Delete";
    case vk::LWin:
        return "Left Windows";
    case vk::RWin:
        return "Right Windows";
    case vk::Apps:
        return "Application";
    case vk::Multiply:
        return "Num *";
    case vk::Add:
        return "Num +";
    case vk::Subtract:
        return "Num -";
    case vk::Decimal:
        return "Num Del";
    case vk::Divide:
        return "Num /";
    case vk::NumLock:
        return "Num Lock";
    case vk::Scroll:
        return "Scroll Lock";
    case vk::VolumeMute:
        return "Mute";
    case vk::VolumeDown:
        return "Volume Down";
    case vk::VolumeUp:
        return "Volume Up";
    default:
        return {};
    }
}

char usLayoutCharacter(int32_t code) {
    if (code >= vk::LetterA && code <= vk::LetterZ) return static_cast<char>(code);
    if (code >= vk::Digit0 && code <= vk::Digit0 + 9) return static_cast<char>(code);
    if (code == vk::Oem102) return '\\';
    for (const auto& [key, ch] : kOemCharacters) {
        if (key == code) return ch;
    }
    return 0;
}

int32_t virtualKeyOfCharacter(char32_t ch) {
    if (ch >= U'a' && ch <= U'z') return static_cast<int32_t>(ch - U'a') + vk::LetterA;
    if ((ch >= U'A' && ch <= U'Z') || (ch >= U'0' && ch <= U'9')) return static_cast<int32_t>(ch);
    for (const auto& [key, c] : kOemCharacters) {
        if (static_cast<char32_t>(c) == ch) return key;
    }
    return 0;
}

} // namespace tvk
