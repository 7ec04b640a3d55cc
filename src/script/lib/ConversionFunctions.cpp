// Conversion family: CBool, CByte, CCur, CDbl, CInt, CLng, CSng, CStr (CDate lives with the dates).
#include "script/lib/DateText.h"
#include "script/lib/LibArgs.h"
#include "script/lib/LibraryFamilies.h"
#include "script/lib/NumberText.h"

#include <cfloat>
#include <cmath>

namespace tvk::script::lib {
namespace {

Value cBool(CallContext&, std::span<Value> a) {
    return Value::boolean(toBool(a[0]));
}
Value cByte(CallContext&, std::span<Value> a) {
    return Value::byte(toByte(a[0]));
}
Value cInt(CallContext&, std::span<Value> a) {
    return Value::integer(toInteger(a[0]));
}
Value cLng(CallContext&, std::span<Value> a) {
    return Value::lng(toLong(a[0]));
}
// Plain decimal text ("-123.45678") read exactly to ten-thousandths, halves to even; false for other text
// (exponents, hexadecimal), which goes through the double conversion.
bool exactCurrency(std::u16string_view t, int64_t& out) {
    while (!t.empty() && t.front() == u' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == u' ')
        t.remove_suffix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == u'-' || t.front() == u'+')) {
        negative = t.front() == u'-';
        t.remove_prefix(1);
    }
    using Wide = unsigned __int128;
    Wide magnitude = 0;
    int decimals = -1; // -1 before the point
    int digits = 0;
    int roundDigit = -1;
    bool sticky = false;
    for (char16_t c : t) {
        if (c == u'.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < u'0' || c > u'9') return false;
        ++digits;
        if (decimals >= 4) {
            if (roundDigit < 0)
                roundDigit = c - u'0';
            else
                sticky |= c != u'0';
            continue;
        }
        magnitude = magnitude * 10 + static_cast<unsigned>(c - u'0');
        if (magnitude > Wide{1} << 64) throw RuntimeError(err::Overflow);
        if (decimals >= 0) ++decimals;
    }
    if (digits == 0) return false;
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d)
        magnitude *= 10;
    if (roundDigit > 5 || (roundDigit == 5 && (sticky || (magnitude & 1)))) ++magnitude;
    const Wide limit = negative ? Wide{1} << 63 : (Wide{1} << 63) - 1;
    if (magnitude > limit) throw RuntimeError(err::Overflow);
    out = negative ? static_cast<int64_t>(~static_cast<uint64_t>(magnitude) + 1) : static_cast<int64_t>(magnitude);
    return true;
}

Value cCur(CallContext&, std::span<Value> a) {
    const Value v = plain(a[0]);
    int64_t scaled;
    if (v.isString() && exactCurrency(v.str(), scaled)) return Value::currencyScaled(scaled);
    return Value::currencyScaled(toCurrencyScaled(v));
}

Value cDbl(CallContext&, std::span<Value> a) {
    const double d = toDouble(a[0]);
    if (!std::isfinite(d)) throw RuntimeError(err::Overflow);
    return Value::dbl(d);
}

Value cSng(CallContext&, std::span<Value> a) {
    const double d = toDouble(a[0]);
    if (!(std::fabs(d) <= FLT_MAX)) throw RuntimeError(err::Overflow);
    return Value::single(static_cast<float>(d));
}

} // namespace

std::u16string textOf(const Value& arg) {
    const Value v = plain(arg);
    switch (v.type()) {
    case VarType::Single:
        return numbertext::fromSingle(static_cast<float>(v.rawDouble()));
    case VarType::Double:
        return numbertext::fromDouble(v.rawDouble());
    case VarType::Currency:
        return numbertext::fromCurrency(v.rawInt());
    case VarType::Date:
        return datetext::general(v.rawDouble());
    default:
        return toString(v);
    }
}

namespace {
Value cStr(CallContext&, std::span<Value> a) {
    return Value::string(textOf(a[0]));
}
} // namespace

void registerConversionFunctions(BuiltinTable& t) {
    t.add("CBool", &cBool, 1, 1);
    t.add("CByte", &cByte, 1, 1);
    t.add("CCur", &cCur, 1, 1);
    t.add("CDbl", &cDbl, 1, 1);
    t.add("CInt", &cInt, 1, 1);
    t.add("CLng", &cLng, 1, 1);
    t.add("CSng", &cSng, 1, 1);
    t.add("CStr", &cStr, 1, 1);
}

} // namespace tvk::script::lib
