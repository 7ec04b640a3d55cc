// Conversion family: CBool, CByte, CCur, CDbl, CInt, CLng, CSng, CStr (CDate lives with the dates).
#include "script/lib/LibArgs.h"
#include "script/lib/LibraryFamilies.h"

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
Value cCur(CallContext&, std::span<Value> a) {
    return Value::currencyScaled(toCurrencyScaled(a[0]));
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

std::u16string textOf(const Value& v) {
    return toString(v);
}

std::u16string objectArgText(const Value& v) {
    const Value p = plain(v);
    if (p.type() == VarType::Boolean) return p.rawInt() ? u"-1" : u"0";
    return toString(p);
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
