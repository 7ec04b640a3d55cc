#include "language/TextCompare.h"

#include <charconv>
#include <cmath>

namespace tvk {
namespace {

// Next code point of `s` from `i`; an invalid sequence yields its first byte as a code point of its own
// (offset into a private range, so it never equals a valid character).
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) {
        return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    auto at = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k]) & 0x3F); };
    if (b0 < 0x80) {
        i += 1;
        return b0;
    }
    if (b0 >= 0xC2 && b0 < 0xE0 && cont(1)) {
        char32_t c = (char32_t(b0 & 0x1F) << 6) | at(1);
        i += 2;
        return c;
    }
    if (b0 >= 0xE0 && b0 < 0xF0 && cont(1) && cont(2)) {
        char32_t c = (char32_t(b0 & 0x0F) << 12) | (at(1) << 6) | at(2);
        if (c >= 0x800) {
            i += 3;
            return c;
        }
    }
    if (b0 >= 0xF0 && b0 < 0xF5 && cont(1) && cont(2) && cont(3)) {
        char32_t c = (char32_t(b0 & 0x07) << 18) | (at(1) << 12) | (at(2) << 6) | at(3);
        if (c >= 0x10000 && c <= 0x10FFFF) {
            i += 4;
            return c;
        }
    }
    i += 1;
    return 0x110000 + b0;
}

char32_t foldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;   // Latin-1 capitals
    if (c >= 0x100 && c <= 0x137) return c | 1;               // Latin Extended-A, capital even
    if (c >= 0x139 && c <= 0x148) return (c & 1) ? c + 1 : c; // capital odd
    if (c >= 0x14A && c <= 0x177) return c | 1;
    if (c == 0x178) return 0xFF;
    if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c + 1 : c;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32; // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 32;               // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j))) return false;
    }
    return i == a.size() && j == b.size();
}

std::optional<double> textAsNumber(std::string_view text) {
    std::size_t p = 0;
    while (p < text.size() && isBlank(text[p]))
        ++p;
    const std::size_t start = p;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
    std::size_t digits = 0;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9')
        ++p, ++digits;
    if (p < text.size() && text[p] == '.') {
        ++p;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9')
            ++p, ++digits;
    }
    if (digits == 0) return std::nullopt;
    const std::size_t end = p;
    while (p < text.size() && isBlank(text[p]))
        ++p;
    if (p != text.size()) return std::nullopt;

    // from_chars reads the validated span without regard to the process locale; it takes no "+".
    std::size_t first = start;
    bool negative = false;
    if (text[first] == '+' || text[first] == '-') negative = text[first++] == '-';
    double magnitude = 0;
    if (std::from_chars(text.data() + first, text.data() + end, magnitude).ec != std::errc()) {
        // Out of a double's range: huge when the integer part has a non-zero digit, else a tiny fraction.
        const auto integer = text.substr(first, end - first);
        const auto point = integer.find('.');
        magnitude = integer.substr(0, point).find_first_not_of('0') == std::string_view::npos ? 0.0 : HUGE_VAL;
    }
    return negative ? -magnitude : magnitude;
}

std::optional<std::int32_t> textAsIndex(std::string_view text) {
    const auto number = textAsNumber(text);
    if (!number) return std::nullopt;
    const double value = std::nearbyint(*number); // default rounding mode: half to even
    if (!(value >= -2147483648.0 && value <= 2147483647.0)) return -1;
    return static_cast<std::int32_t>(value);
}

} // namespace tvk
