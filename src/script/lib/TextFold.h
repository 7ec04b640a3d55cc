#pragma once

#include <string>
#include <string_view>

// Simple one-to-one letter case mapping for the scripts users type most: ASCII, Latin-1, Latin Extended-A,
// Greek and Cyrillic. Used by LCase/UCase, text comparison and case-insensitive patterns so all three agree.
namespace tvk::script::textfold {

// Latin Extended-A pairs each capital with the code point after it; the capital is even in two runs and odd
// in the other two.
inline bool extendedCapital(char16_t c) {
    if (c == 0x130) return false; // dotted capital I has no one-unit lower case
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c % 2 == 0;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 1;
    return false;
}

inline char16_t toLower(char16_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) return static_cast<char16_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
    if (extendedCapital(c)) return static_cast<char16_t>(c + 1);
    return c;
}

inline char16_t toUpper(char16_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
    if ((c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) return static_cast<char16_t>(c - 32);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
    if (c > 0x100 && extendedCapital(static_cast<char16_t>(c - 1))) return static_cast<char16_t>(c - 1);
    return c;
}

inline std::u16string lower(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out)
        c = toLower(c);
    return out;
}

inline std::u16string upper(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out)
        c = toUpper(c);
    return out;
}

} // namespace tvk::script::textfold
