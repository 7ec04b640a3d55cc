#pragma once

#include <cstdint>
#include <string>

// Numbers as text the way the scripting language prints them in the active script locale (see
// ScriptLocale.h; "." decimal point and "," digit grouping by default), never the process locale.
namespace tvk::script::numbertext {

// A Double as CStr prints it: up to 15 significant digits, trailing zeros dropped, exponent form ("1E+20",
// "1.5E-07") below 1E-4 and from 1E15 on; "-0" for negative zero; "NaN"/"Infinity" are never produced by
// the engine's arithmetic but render as "-1.#IND" / "1.#INF" should they appear.
std::u16string fromDouble(double value);
// A Single: the same with 7 significant digits.
std::u16string fromSingle(float value);
// A Currency held as an integer count of ten-thousandths: up to four decimals, trailing zeros dropped.
std::u16string fromCurrency(int64_t tenThousandths);

// Three-state flags of the Format functions: -1 true, 0 false, -2 the locale's default.
inline constexpr int UseDefault = -2;

struct FixedOptions {
    int digitsAfterDecimal = -1;           // -1: the locale's default (2)
    int includeLeadingDigit = UseDefault;  // default: "0.5"
    int useParensForNegative = UseDefault; // default: "-0.5"
    int groupDigits = UseDefault;          // default: "1,234"
};

// FormatNumber: rounds half away from zero at the requested digit. Digits outside -1..255 raise error 5.
std::u16string formatNumber(double value, const FixedOptions& options);
// FormatCurrency: "$1,234.50", negative "-$1,234.50" or "($1,234.50)".
std::u16string formatCurrency(double value, const FixedOptions& options);
// FormatPercent: the value times 100 followed by "%".
std::u16string formatPercent(double value, const FixedOptions& options);

} // namespace tvk::script::numbertext
