// Formatting family: FormatNumber, FormatCurrency, FormatPercent.
#include "script/lib/LibArgs.h"
#include "script/lib/LibraryFamilies.h"
#include "script/lib/NumberText.h"

namespace tvk::script::lib {
namespace {

// Format*(expression[, digits[, leadingDigit[, parensForNegative[, groupDigits]]]]).
template <std::u16string (*Format)(double, const numbertext::FixedOptions&)>
Value format(CallContext&, std::span<Value> a) {
    if (plain(a[0]).isNull()) throw RuntimeError(err::TypeMismatch); // as the language reports it
    const double value = toDouble(a[0]);
    numbertext::FixedOptions o;
    o.digitsAfterDecimal = optLong(a, 1, -1);
    o.includeLeadingDigit = optLong(a, 2, numbertext::UseDefault);
    o.useParensForNegative = optLong(a, 3, numbertext::UseDefault);
    o.groupDigits = optLong(a, 4, numbertext::UseDefault);
    return Value::string(Format(value, o));
}

} // namespace

void registerFormatFunctions(BuiltinTable& t) {
    t.add("FormatNumber", &format<numbertext::formatNumber>, 1, 5);
    t.add("FormatCurrency", &format<numbertext::formatCurrency>, 1, 5);
    t.add("FormatPercent", &format<numbertext::formatPercent>, 1, 5);
    t.addConstant("vbUseDefault", Value::integer(-2));
    t.addConstant("vbTrue", Value::integer(-1));
    t.addConstant("vbFalse", Value::integer(0));
}

} // namespace tvk::script::lib
