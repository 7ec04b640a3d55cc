#include "script/Operators.h"

#include "events/RuntimeError.h"
#include "script/ByteText.h"
#include "script/Coerce.h"
#include "script/ScriptObject.h"

#include <cmath>
#include <limits>

namespace tvk::script {

namespace {

// Numeric kinds in promotion order.
enum class NK : uint8_t { Byte, Int, Long, Single, Double, Cur, Date };

constexpr size_t MaxStringLength = size_t{1} << 28;

// The operand as a number: its kind and value (integers in i, others in d, Currency scaled in i).
struct Num {
    NK kind;
    int64_t i = 0;
    double d = 0;
};

Num toNum(const Value& v) {
    switch (v.type()) {
    case VarType::Empty:
        return {NK::Int, 0, 0};
    case VarType::Boolean:
    case VarType::Integer:
        return {NK::Int, v.rawInt(), 0};
    case VarType::Byte:
        return {NK::Byte, v.rawInt(), 0};
    case VarType::Long:
        return {NK::Long, v.rawInt(), 0};
    case VarType::Single:
        return {NK::Single, 0, v.rawDouble()};
    case VarType::Double:
        return {NK::Double, 0, v.rawDouble()};
    case VarType::Currency:
        return {NK::Cur, v.rawInt(), 0};
    case VarType::Date:
        return {NK::Date, 0, v.rawDouble()};
    case VarType::String:
        return {NK::Double, 0, toDouble(v)};
    case VarType::Object:
        return toNum(defaultValue(v));
    default:
        throw RuntimeError(err::TypeMismatch);
    }
}

double asDouble(const Num& n) {
    switch (n.kind) {
    case NK::Byte:
    case NK::Int:
    case NK::Long:
        return static_cast<double>(n.i);
    case NK::Cur:
        return static_cast<double>(n.i) / 10000.0;
    default:
        return n.d;
    }
}

bool isIntKind(NK k) {
    return k == NK::Byte || k == NK::Int || k == NK::Long;
}

// Smallest integer subtype of at least `kind` that holds r; Double beyond Long.
Value intResult(int64_t r, NK kind) {
    if (kind == NK::Byte && r >= 0 && r <= 255) return Value::byte(static_cast<uint8_t>(r));
    if (kind <= NK::Int && r >= -32768 && r <= 32767) return Value::integer(static_cast<int16_t>(r));
    if (r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())
        return Value::lng(static_cast<int32_t>(r));
    return Value::dbl(static_cast<double>(r));
}

Value realResult(double r, NK kind) {
    if (!std::isfinite(r)) throw RuntimeError(err::Overflow);
    if (kind == NK::Single && std::fabs(r) <= std::numeric_limits<float>::max())
        return Value::single(static_cast<float>(r));
    if (kind == NK::Date) {
        if (!(r >= -657434.0 && r < 2958466.0)) throw RuntimeError(err::Overflow);
        return Value::date(r);
    }
    return Value::dbl(r);
}

Value currencyResult(long double scaled) {
    long double r = std::nearbyint(scaled);
    if (!(r >= -9.2233720368547758e18L && r < 9.2233720368547758e18L)) throw RuntimeError(err::Overflow);
    return Value::currencyScaled(static_cast<int64_t>(r));
}

NK resultKind(NK a, NK b, Op op) {
    NK hi = a > b ? a : b;
    NK lo = a > b ? b : a;
    if (hi == NK::Date)
        return (op == Op::Add || op == Op::Sub) && !(a == NK::Date && b == NK::Date && op == Op::Sub) ? NK::Date
                                                                                                      : NK::Double;
    if (hi == NK::Cur && (lo == NK::Single || lo == NK::Double)) return NK::Double;
    if (hi == NK::Single && lo == NK::Long) return NK::Double;
    return hi;
}

Value arith(Op op, const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return Value::null();
    Num x = toNum(a), y = toNum(b);
    NK k = resultKind(x.kind, y.kind, op);
    if (isIntKind(k)) {
        int64_t r = op == Op::Add ? x.i + y.i : op == Op::Sub ? x.i - y.i : x.i * y.i;
        return intResult(r, k);
    }
    if (k == NK::Cur) {
        long double l =
            x.kind == NK::Cur ? static_cast<long double>(x.i) : static_cast<long double>(asDouble(x)) * 10000;
        long double r =
            y.kind == NK::Cur ? static_cast<long double>(y.i) : static_cast<long double>(asDouble(y)) * 10000;
        if (op == Op::Add) return currencyResult(l + r);
        if (op == Op::Sub) return currencyResult(l - r);
        return currencyResult(l * r / 10000);
    }
    double l = asDouble(x), r = asDouble(y);
    double res = op == Op::Add ? l + r : op == Op::Sub ? l - r : l * r;
    return realResult(res, k);
}

Value divide(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return Value::null();
    Num x = toNum(a), y = toNum(b);
    double l = asDouble(x), r = asDouble(y);
    if (r == 0) throw RuntimeError(l == 0 ? err::Overflow : err::DivisionByZero);
    // A Single divided with a Byte, Integer or Single stays Single; everything else is Double.
    bool single = (x.kind == NK::Single || y.kind == NK::Single) && x.kind <= NK::Single && y.kind <= NK::Single &&
                  x.kind != NK::Long && y.kind != NK::Long;
    return realResult(l / r, single ? NK::Single : NK::Double);
}

// Operand of \ and Mod: rounded to an integer subtype.
Num intOperand(const Value& v) {
    Num n = toNum(v);
    if (isIntKind(n.kind)) return n;
    return {NK::Long, toLong(Value::dbl(asDouble(n))), 0};
}

Value intDivMod(Op op, const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return Value::null();
    Num x = intOperand(a), y = intOperand(b);
    if (y.i == 0) throw RuntimeError(err::DivisionByZero);
    NK k = x.kind > y.kind ? x.kind : y.kind;
    int64_t r = op == Op::IntDiv ? x.i / y.i : x.i % y.i;
    Value v = intResult(r, k);
    if (v.type() == VarType::Double) throw RuntimeError(err::Overflow);
    return v;
}

Value power(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return Value::null();
    double l = asDouble(toNum(a)), r = asDouble(toNum(b));
    if (l == 0 && r < 0) throw RuntimeError(err::InvalidCall);
    if (l < 0 && r != std::trunc(r)) throw RuntimeError(err::InvalidCall);
    return realResult(std::pow(l, r), NK::Double);
}

Value compare(Op op, const Value& a, const Value& b) {
    int c = compareValues(a, b);
    if (c == 2) return Value::null();
    switch (op) {
    case Op::Eq:
        return Value::boolean(c == 0);
    case Op::Ne:
        return Value::boolean(c != 0);
    case Op::Lt:
        return Value::boolean(c < 0);
    case Op::Le:
        return Value::boolean(c <= 0);
    case Op::Gt:
        return Value::boolean(c > 0);
    default:
        return Value::boolean(c >= 0);
    }
}

// Integer view of a logical operand and its kind (Byte, Int or Long).
Num logicalOperand(const Value& v) {
    switch (v.type()) {
    case VarType::Empty:
        return {NK::Int, 0, 0};
    case VarType::Boolean:
    case VarType::Integer:
        return {NK::Int, v.rawInt(), 0};
    case VarType::Byte:
        return {NK::Byte, v.rawInt(), 0};
    case VarType::Long:
        return {NK::Long, v.rawInt(), 0};
    case VarType::String:
        if (equalsNoCase(v.str(), std::string_view("true"))) return {NK::Int, -1, 0};
        if (equalsNoCase(v.str(), std::string_view("false"))) return {NK::Int, 0, 0};
        return {NK::Long, toLong(v), 0};
    default:
        return {NK::Long, toLong(v), 0};
    }
}

int64_t bitwise(Op op, int64_t l, int64_t r) {
    switch (op) {
    case Op::And:
        return l & r;
    case Op::Or:
        return l | r;
    case Op::Xor:
        return l ^ r;
    case Op::Eqv:
        return ~(l ^ r);
    default:
        return ~l | r; // Imp
    }
}

Value typedLogical(int64_t r, NK k, bool boolean) {
    if (boolean) return Value::boolean(r != 0);
    if (k == NK::Byte) return Value::byte(static_cast<uint8_t>(r & 0xFF));
    if (k == NK::Int) return Value::integer(static_cast<int16_t>(r));
    return Value::lng(static_cast<int32_t>(r));
}

Value logical(Op op, const Value& a0, const Value& b0) {
    const Value a = a0.isObject() ? defaultValue(a0) : a0;
    const Value b = b0.isObject() ? defaultValue(b0) : b0;
    bool an = a.isNull(), bn = b.isNull();
    if (!an && !bn) {
        Num x = logicalOperand(a), y = logicalOperand(b);
        bool boolean = a.type() == VarType::Boolean && b.type() == VarType::Boolean;
        NK k = x.kind > y.kind ? x.kind : y.kind;
        if (a.isEmpty() && b.isEmpty()) k = NK::Long; // Empty And Empty is a Long 0
        return typedLogical(bitwise(op, x.i, y.i), k, boolean);
    }
    if (an && bn) return Value::null();
    // One side Null: the result is known only where the other side decides it alone.
    const Value& other = an ? b : a;
    Num o = logicalOperand(other);
    bool boolean = other.type() == VarType::Boolean;
    switch (op) {
    case Op::And:
        if (o.i == 0) return typedLogical(0, o.kind, boolean);
        return Value::null();
    case Op::Or:
        if (o.i == -1) return typedLogical(-1, o.kind, boolean);
        return Value::null();
    case Op::Imp:
        if (an && o.i == -1) return typedLogical(-1, o.kind, boolean); // Null Imp True
        if (bn && o.i == 0) return typedLogical(-1, o.kind, boolean);  // False Imp Null
        return Value::null();
    default:
        return Value::null();
    }
}

} // namespace

Value concat(const Value& a, const Value& b) {
    if (a.isNull() && b.isNull()) return Value::null();
    if (a.oddByte() >= 0 || b.oddByte() >= 0) [[unlikely]]
        return bytetext::concat(a, b);
    if (a.isString() && b.isString()) {
        if (a.str().size() + b.str().size() > MaxStringLength) throw RuntimeError(err::OutOfStringSpace);
        std::u16string s;
        s.reserve(a.str().size() + b.str().size());
        s += a.str();
        s += b.str();
        return Value::string(std::move(s));
    }
    std::u16string l = a.isNull() ? std::u16string() : toString(a);
    std::u16string r = b.isNull() ? std::u16string() : toString(b);
    if (l.size() + r.size() > MaxStringLength) throw RuntimeError(err::OutOfStringSpace);
    return Value::string(l + r);
}

void appendText(std::u16string& text, const Value& piece) {
    if (piece.isNull()) return;
    if (piece.isString()) {
        if (text.size() + piece.str().size() > MaxStringLength) throw RuntimeError(err::OutOfStringSpace);
        text += piece.str();
        return;
    }
    std::u16string r = toString(piece);
    if (text.size() + r.size() > MaxStringLength) throw RuntimeError(err::OutOfStringSpace);
    text += r;
}

Value concatTemporary(Value a, const Value& b) {
    std::u16string* text = a.uniqueString();
    if (text && b.oddByte() < 0) {
        appendText(*text, b);
        a.chargeTextLength(text->size()); // a temporary: on error 7 it is freed with the throw
        return a;
    }
    if ((a.oddByte() >= 0 || b.oddByte() >= 0) && bytetext::appendInPlace(a, std::span<const Value>(&b, 1))) return a;
    return concat(a, b);
}

Value binaryOp(Op op, const Value& a, const Value& b) {
    switch (op) {
    case Op::Add:
        if (a.isString() && (b.isString() || b.isEmpty())) return concat(a, b);
        if (b.isString() && a.isEmpty()) return concat(a, b);
        [[fallthrough]];
    case Op::Sub:
    case Op::Mul:
        return arith(op, a, b);
    case Op::Div:
        return divide(a, b);
    case Op::IntDiv:
    case Op::Mod:
        return intDivMod(op, a, b);
    case Op::Pow:
        return power(a, b);
    case Op::Cat:
        return concat(a, b);
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Le:
    case Op::Gt:
    case Op::Ge:
        return compare(op, a, b);
    case Op::Is:
        if (!a.isObject() || !b.isObject()) throw RuntimeError(err::ObjectRequired);
        return Value::boolean(a.obj() == b.obj());
    case Op::And:
    case Op::Or:
    case Op::Xor:
    case Op::Eqv:
    case Op::Imp:
        return logical(op, a, b);
    default:
        throw RuntimeError(err::InternalError);
    }
}

Value compareWithLiteral(Op op, const Value& a, const Value& b, bool lhsLiteral, bool rhsLiteral) {
    auto isNumber = [](const Value& v) {
        switch (v.type()) {
        case VarType::Boolean:
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Currency:
            return true;
        default:
            return false;
        }
    };
    // Text read as the literal's type: a Boolean word for True/False, else a number.
    auto asTypeOf = [](const Value& text, const Value& literal) {
        return literal.type() == VarType::Boolean ? Value::boolean(toBool(text)) : Value::dbl(toDouble(text));
    };
    if (a.isString() && isNumber(b)) {
        if (rhsLiteral) return compare(op, asTypeOf(a, b), b);
        return compare(op, a, Value::string(toString(b)));
    }
    if (b.isString() && isNumber(a)) {
        if (lhsLiteral) return compare(op, a, asTypeOf(b, a));
        return compare(op, Value::string(toString(a)), b);
    }
    return binaryOp(op, a, b);
}

Value unaryOp(Op op, const Value& a) {
    if (op == Op::Not) return notOp(a);
    switch (a.type()) {
    case VarType::Null:
        return Value::null();
    case VarType::Empty:
        return Value::integer(0);
    case VarType::Boolean:
    case VarType::Byte:
    case VarType::Integer:
        return intResult(-a.rawInt(), NK::Int);
    case VarType::Long:
        return intResult(-a.rawInt(), NK::Long);
    case VarType::Single:
        return Value::single(static_cast<float>(-a.rawDouble()));
    case VarType::Double:
        return Value::dbl(-a.rawDouble());
    case VarType::Date:
        return Value::date(-a.rawDouble());
    case VarType::Currency:
        if (a.rawInt() == std::numeric_limits<int64_t>::min()) throw RuntimeError(err::Overflow);
        return Value::currencyScaled(-a.rawInt());
    case VarType::String:
        return Value::dbl(-toDouble(a));
    case VarType::Object:
        return unaryOp(op, defaultValue(a));
    default:
        throw RuntimeError(err::TypeMismatch);
    }
}

} // namespace tvk::script
