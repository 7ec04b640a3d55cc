#pragma once

#include <cstdint>
#include <string_view>

namespace tvk {

// Reading numbers out of text boxes the way the program's users expect from a Basic-style tool:
// the longest leading part that reads as a number counts, anything after it is ignored, and a text
// without one reads as 0. The decimal separator is always ".", whatever the locale.
struct NumberSyntax {
    bool radixPrefixes = false; // "&H" hexadecimal and "&O" octal
    bool exponent = false;      // "1.5E3", "2D-1"
    bool innerBlanks = false;   // blanks between digits are skipped ("1 2" reads 12)
};

// The number at the start of `text` (UTF-8). Throws RuntimeError 6 when it exceeds the range of a
// double, or when a radix literal has more than 8 digits.
double readNumber(std::string_view text, NumberSyntax syntax);

// Rounds to the nearest integer, halves to the even neighbour; RuntimeError 6 outside 32 bits.
int32_t roundToInt32(double value);

// Same rounding, but values outside the 32-bit range are clamped to its ends (NaN reads 0).
int32_t roundToInt32Clamped(double value);

// The numeric reading of the replay window's boxes: decimal only, clamped to 32 bits.
int32_t readBoxInteger(std::string_view text);

// The numeric reading of the settings window's boxes: full syntax, error 6 outside 32 bits.
int32_t readDetailValue(std::string_view text);

} // namespace tvk
