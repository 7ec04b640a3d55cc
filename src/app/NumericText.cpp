#include "app/NumericText.h"

#include "events/RuntimeError.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tvk {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Walks the text, skipping blanks where the syntax allows them.
class Cursor {
public:
    Cursor(std::string_view text, bool innerBlanks) : m_text(text), m_innerBlanks(innerBlanks) {}

    void skipBlanks() {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
    }
    // The next character (after inner blanks when allowed), or NUL at the end.
    char peek() {
        if (m_innerBlanks) skipBlanks();
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    void take() { ++m_pos; }
    size_t position() const { return m_pos; }
    void rewind(size_t pos) { m_pos = pos; }

private:
    std::string_view m_text;
    bool m_innerBlanks;
    size_t m_pos = 0;
};

int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "&H1F" / "&O17": a value that fits 16 bits (up to 4 hex digits) reads as a 16-bit value, a longer
// one as a 32-bit value, both in two's complement (so "&HFFFF" is -1), as Basic's literals do.
double readRadix(Cursor& in, int base) {
    uint64_t value = 0;
    int digits = 0;
    for (;;) {
        const int d = hexValue(in.peek());
        if (d < 0 || d >= base) break;
        in.take();
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        ++digits;
        if (value > 0xFFFFFFFFull) throw RuntimeError(err::Overflow);
    }
    const bool shortForm = base == 16 ? digits <= 4 : value <= 0xFFFF;
    if (shortForm) return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(value)));
    return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(value)));
}

} // namespace

double readNumber(std::string_view text, NumberSyntax syntax) {
    Cursor in(text, syntax.innerBlanks);
    in.skipBlanks();
    if (syntax.radixPrefixes && in.peek() == '&') {
        const size_t at = in.position();
        in.take();
        const char kind = in.peek();
        if (kind == 'h' || kind == 'H') {
            in.take();
            return readRadix(in, 16);
        }
        if (kind == 'o' || kind == 'O') {
            in.take();
            return readRadix(in, 8);
        }
        in.rewind(at);
        return 0.0;
    }

    std::string literal; // the accepted characters in the form from_chars reads
    if (in.peek() == '-' || in.peek() == '+') {
        if (in.peek() == '-') literal += '-';
        in.take();
    }
    bool anyDigit = false;
    while (isDigit(in.peek())) {
        literal += in.peek();
        in.take();
        anyDigit = true;
    }
    if (in.peek() == '.') {
        in.take();
        literal += '.';
        while (isDigit(in.peek())) {
            literal += in.peek();
            in.take();
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0.0;
    if (syntax.exponent) {
        const char e = in.peek();
        if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
            const size_t at = in.position();
            in.take();
            std::string exp = "e";
            if (in.peek() == '-' || in.peek() == '+') {
                exp += in.peek();
                in.take();
            }
            bool expDigit = false;
            while (isDigit(in.peek())) {
                exp += in.peek();
                in.take();
                expDigit = true;
            }
            if (expDigit)
                literal += exp;
            else
                in.rewind(at);
        }
    }
    if (literal.front() == '.' || (literal.size() > 1 && literal[0] == '-' && literal[1] == '.'))
        literal.insert(literal.begin() + (literal.front() == '-' ? 1 : 0), '0');
    if (literal.back() == '.') literal += '0';

    double value = 0.0;
    const auto [end, ec] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // from_chars reports underflow the same way; a tiny number simply reads as 0.
        const auto e = literal.find('e');
        if (e != std::string::npos && literal.find('-', e) != std::string::npos) return 0.0;
        throw RuntimeError(err::Overflow);
    }
    if (ec != std::errc()) return 0.0;
    return value;
}

int32_t roundToInt32(double value) {
    const double r = std::nearbyint(value); // default rounding mode: halves to even
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw RuntimeError(err::Overflow);
    return static_cast<int32_t>(r);
}

int32_t roundToInt32Clamped(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::nearbyint(value);
    if (r <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    if (r >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

int32_t readBoxInteger(std::string_view text) {
    try {
        return roundToInt32Clamped(readNumber(text, {}));
    } catch (const RuntimeError&) {
        // Only a literal beyond the range of a double gets here; its sign decides the end.
        const auto first = text.find_first_not_of(" \t\r\n");
        return first != std::string_view::npos && text[first] == '-' ? std::numeric_limits<int32_t>::min()
                                                                     : std::numeric_limits<int32_t>::max();
    }
}

int32_t readDetailValue(std::string_view text) {
    return roundToInt32(readNumber(text, {.radixPrefixes = true, .exponent = true, .innerBlanks = true}));
}

} // namespace tvk
