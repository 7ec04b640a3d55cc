#include "script/lib/NumberText.h"

#include "events/RuntimeError.h"
#include "script/lib/ScriptLocale.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tvk::script::numbertext {
namespace {

std::u16string widen(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

// The active locale's decimal separator in place of the '.' the digits were laid out with.
std::u16string localised(std::u16string text) {
    const char16_t decimal = locale::active().decimal;
    if (decimal != u'.')
        for (char16_t& c : text)
            if (c == u'.') c = decimal;
    return text;
}

template <typename T> std::u16string general(T value, int precision) {
    if (std::isnan(value)) return u"-1.#IND";
    if (std::isinf(value)) return value < 0 ? u"-1.#INF" : u"1.#INF";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
    std::u16string out(buf, res.ptr);
    for (char16_t& c : out)
        if (c == 'e') c = 'E';
    return out;
}

// Decimal digits of |value| rounded half away from zero to `decimals` places, as integer and fraction parts.
void roundedDigits(double value, int decimals, std::string& whole, std::string& fraction) {
    char buf[64];
    // Fifteen significant digits: the precision the language prints and rounds at.
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string text(buf, res.ptr);
    const size_t ePos = text.find('e');
    std::string digits;
    for (size_t i = 0; i < ePos; ++i)
        if (text[i] != '.') digits.push_back(text[i]);
    int exponent = std::stoi(text.substr(ePos + 1));
    if (value == 0) exponent = 0;
    // digits[0] has weight 10^exponent; keep those with weight >= 10^-decimals.
    const int keep = exponent + 1 + decimals;
    if (keep < 0) {
        digits.assign(1, '0');
        exponent = 0;
    } else if (keep < static_cast<int>(digits.size())) {
        const bool up = digits[static_cast<size_t>(keep)] >= '5';
        digits.resize(static_cast<size_t>(keep));
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[static_cast<size_t>(i)] == '9')
                digits[static_cast<size_t>(i--)] = '0';
            if (i >= 0)
                ++digits[static_cast<size_t>(i)];
            else {
                digits.insert(digits.begin(), '1');
                ++exponent;
            }
        }
        if (digits.empty()) {
            digits.assign(1, '0');
            exponent = 0;
        }
    }
    // Lay the digits out around the decimal point.
    whole.clear();
    fraction.clear();
    const int n = static_cast<int>(digits.size());
    for (int pos = exponent; pos >= 0; --pos) {
        const int index = exponent - pos;
        whole.push_back(index < n ? digits[static_cast<size_t>(index)] : '0');
    }
    if (whole.empty()) whole.assign(1, '0');
    for (int d = 1; d <= decimals; ++d) {
        const int index = exponent + d;
        fraction.push_back(index >= 0 && index < n ? digits[static_cast<size_t>(index)] : '0');
    }
}

bool flag(int tristate, bool fallback) {
    return tristate == UseDefault ? fallback : tristate != 0;
}

// Shared body of the Format functions; `prefix`/`suffix` surround the digits inside the sign or parentheses.
std::u16string formatFixed(double value, const FixedOptions& o, const std::u16string& prefix,
                           const std::u16string& suffix) {
    if (o.digitsAfterDecimal < -1 || o.digitsAfterDecimal > 255) throw RuntimeError(err::InvalidCall);
    if (!std::isfinite(value)) return general(value, 15);
    const int decimals = o.digitsAfterDecimal == -1 ? 2 : o.digitsAfterDecimal;
    std::string whole, fraction;
    roundedDigits(value, decimals, whole, fraction);
    const bool isZero =
        whole.find_first_not_of('0') == std::string::npos && fraction.find_first_not_of('0') == std::string::npos;
    const bool negative = value < 0 && !isZero;

    const locale::Format& loc = locale::active();
    if (whole == "0" && !flag(o.includeLeadingDigit, true) && decimals > 0) whole.clear();
    std::u16string digits = widen(whole);
    if (flag(o.groupDigits, true) && whole.size() > 3) {
        std::u16string grouped;
        const size_t first = whole.size() % 3 == 0 ? 3 : whole.size() % 3;
        grouped = digits.substr(0, first);
        for (size_t i = first; i < digits.size(); i += 3)
            grouped.append(1, loc.group).append(digits, i, 3);
        digits = grouped;
    }
    std::u16string body = prefix + digits;
    if (decimals > 0) body += loc.decimal + widen(fraction);
    body += suffix;
    if (!negative) return body;
    if (flag(o.useParensForNegative, false)) return u"(" + body + u")";
    return u"-" + body;
}

} // namespace

std::u16string fromDouble(double value) {
    return localised(general(value, 15));
}

std::u16string fromSingle(float value) {
    return localised(general(value, 7));
}

std::u16string fromCurrency(int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const uint64_t magnitude =
        negative ? ~static_cast<uint64_t>(tenThousandths) + 1 : static_cast<uint64_t>(tenThousandths);
    std::string out(negative ? 1 : 0, '-');
    out.append(std::to_string(magnitude / 10000));
    std::string frac = std::to_string(magnitude % 10000);
    frac.insert(0, 4 - frac.size(), '0');
    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    if (!frac.empty()) out += "." + frac;
    return localised(widen(out));
}

std::u16string formatNumber(double value, const FixedOptions& options) {
    return formatFixed(value, options, u"", u"");
}

std::u16string formatCurrency(double value, const FixedOptions& options) {
    const locale::Format& loc = locale::active();
    const std::u16string symbol = loc.currency;
    if (loc.currencyAfter) return formatFixed(value, options, u"", u" " + symbol);
    return formatFixed(value, options, loc.dayFirst ? symbol + u" " : symbol, u"");
}

std::u16string formatPercent(double value, const FixedOptions& options) {
    return formatFixed(value * 100.0, options, u"", u"%");
}

} // namespace tvk::script::numbertext
