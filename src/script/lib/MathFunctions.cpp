// Math family: Abs, Sgn, Int, Fix, Round, Sqr, Exp, Log, trigonometry, Rnd/Randomize, Hex, Oct.
#include "script/lib/LibArgs.h"
#include "script/lib/LibraryFamilies.h"
#include "script/lib/RandomGenerator.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

namespace tvk::script::lib {
namespace {

double finite(double d) {
    if (!std::isfinite(d)) throw RuntimeError(err::Overflow);
    return d;
}

// A numeric argument's value with the subtype it keeps through Abs/Int/Fix/Round: integers stay
// integers, Currency stays Currency, Date stays Date, text and Empty become Double / Integer.
Value numeric(const Value& arg) {
    const Value v = plain(arg);
    switch (v.type()) {
    case VarType::Empty:
        return Value::integer(0);
    case VarType::Boolean:
        return Value::integer(static_cast<int16_t>(v.rawInt()));
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Date:
    case VarType::Null:
        return v;
    default:
        return Value::dbl(toDouble(v));
    }
}

// Applies `f` to a floating value and rebuilds the same subtype.
template <typename F> Value mapFloating(const Value& v, F f) {
    switch (v.type()) {
    case VarType::Single:
        return Value::single(static_cast<float>(f(v.rawDouble())));
    case VarType::Date: {
        const double d = f(v.rawDouble());
        return Value::date(d);
    }
    default:
        return Value::dbl(f(toDouble(v)));
    }
}

Value abs(CallContext&, std::span<Value> a) {
    const Value v = numeric(a[0]);
    switch (v.type()) {
    case VarType::Null:
        return v;
    case VarType::Byte:
        return v;
    case VarType::Integer:
        return v.rawInt() == -32768 ? Value::lng(32768) : Value::integer(static_cast<int16_t>(std::abs(v.rawInt())));
    case VarType::Long:
        return v.rawInt() == std::numeric_limits<int32_t>::min()
                   ? Value::dbl(2147483648.0)
                   : Value::lng(static_cast<int32_t>(std::abs(v.rawInt())));
    case VarType::Currency:
        if (v.rawInt() == std::numeric_limits<int64_t>::min()) throw RuntimeError(err::Overflow);
        return Value::currencyScaled(std::abs(v.rawInt()));
    default:
        return mapFloating(v, [](double d) { return std::fabs(d); });
    }
}

Value sgn(CallContext&, std::span<Value> a) {
    const Value v = numeric(a[0]);
    if (v.isNull()) throw RuntimeError(err::InvalidUseOfNull);
    const double d = toDouble(v);
    return Value::integer(static_cast<int16_t>(d > 0 ? 1 : d < 0 ? -1 : 0));
}

// Int rounds down, Fix toward zero; they differ only for negative fractions.
template <bool Floor> Value integerPart(CallContext&, std::span<Value> a) {
    const Value v = numeric(a[0]);
    switch (v.type()) {
    case VarType::Null:
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
        return v;
    case VarType::Currency: {
        const int64_t scaled = v.rawInt();
        const int64_t whole = scaled / 10000 * 10000;
        if (Floor && scaled < 0 && whole != scaled) {
            if (whole < std::numeric_limits<int64_t>::min() + 10000) throw RuntimeError(err::Overflow);
            return Value::currencyScaled(whole - 10000);
        }
        return Value::currencyScaled(whole);
    }
    default:
        return mapFloating(v, [](double d) { return Floor ? std::floor(d) : std::trunc(d); });
    }
}

// Round(expression[, places]): halves go to the even neighbour.
Value round(CallContext&, std::span<Value> a) {
    const Value v = numeric(a[0]);
    const int32_t places = optLong(a, 1, 0);
    if (places < 0) throw RuntimeError(err::InvalidCall);
    switch (v.type()) {
    case VarType::Null:
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
        return v;
    case VarType::Currency: {
        if (places >= 4) return v;
        const int64_t unit = places == 0 ? 10000 : places == 1 ? 1000 : places == 2 ? 100 : 10;
        const double q = roundHalfEven(static_cast<double>(v.rawInt()) / static_cast<double>(unit));
        return Value::currencyScaled(static_cast<int64_t>(q) * unit);
    }
    default:
        return mapFloating(v, [places](double d) {
            if (places > 22 || !std::isfinite(d)) return d;
            const double scale = std::pow(10.0, places);
            const double scaled = d * scale;
            if (!std::isfinite(scaled) || std::fabs(scaled) > 9e15) return d;
            return roundHalfEven(scaled) / scale;
        });
    }
}

double argument(std::span<Value> a) {
    if (plain(a[0]).isNull()) throw RuntimeError(err::InvalidUseOfNull);
    return toDouble(a[0]);
}

Value sqr(CallContext&, std::span<Value> a) {
    const double d = argument(a);
    if (d < 0) throw RuntimeError(err::InvalidCall);
    return Value::dbl(std::sqrt(d));
}

Value exp(CallContext&, std::span<Value> a) {
    return Value::dbl(finite(std::exp(argument(a))));
}

Value log(CallContext&, std::span<Value> a) {
    const double d = argument(a);
    if (!(d > 0)) throw RuntimeError(err::InvalidCall);
    return Value::dbl(std::log(d));
}

template <double (*F)(double)> Value trig(CallContext&, std::span<Value> a) {
    return Value::dbl(finite(F(argument(a))));
}

double seedTime(CallContext& ctx) {
    const auto now = std::chrono::system_clock::to_time_t(ctx.now());
    std::tm local{};
    localtime_r(&now, &local);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(ctx.now().time_since_epoch()).count();
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + static_cast<double>(ms % 1000) / 1000.0;
}

Value rnd(CallContext& ctx, std::span<Value> a) {
    RandomGenerator& g = ctx.state<RandomGenerator>();
    if (!has(a, 0)) return Value::single(g.next());
    const double n = toDouble(a[0]);
    if (!(std::fabs(n) <= std::numeric_limits<float>::max())) throw RuntimeError(err::Overflow);
    return Value::single(g.rnd(static_cast<float>(n)));
}

Value randomize(CallContext& ctx, std::span<Value> a) {
    RandomGenerator& g = ctx.state<RandomGenerator>();
    g.randomize(has(a, 0) ? toDouble(a[0]) : seedTime(ctx));
    return Value();
}

// Hex/Oct: 16-bit values show four (six) digits at most, others the 32-bit pattern.
Value radix(std::span<Value> a, unsigned bits, const char16_t* digits) {
    const Value v = plain(a[0]);
    if (v.isNull()) return Value::null();
    uint32_t pattern;
    switch (v.type()) {
    case VarType::Empty:
        pattern = 0;
        break;
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Boolean:
        pattern = static_cast<uint16_t>(v.rawInt());
        break;
    default:
        pattern = static_cast<uint32_t>(toLong(v));
    }
    std::u16string out;
    const uint32_t mask = (1u << bits) - 1;
    do {
        out.insert(out.begin(), digits[pattern & mask]);
        pattern >>= bits;
    } while (pattern != 0);
    return Value::string(std::move(out));
}

Value hex(CallContext&, std::span<Value> a) {
    return radix(a, 4, u"0123456789ABCDEF");
}
Value oct(CallContext&, std::span<Value> a) {
    return radix(a, 3, u"01234567");
}

// RGB(red, green, blue): components above 255 count as 255, negative ones are invalid.
Value rgb(CallContext&, std::span<Value> a) {
    int32_t color = 0;
    for (size_t i = 0; i < 3; ++i) {
        const int32_t c = toLong(a[i]);
        if (c < 0) throw RuntimeError(err::InvalidCall);
        color |= std::min(c, 255) << (8 * i);
    }
    return Value::lng(color);
}

double sine(double d) {
    return std::sin(d);
}
double cosine(double d) {
    return std::cos(d);
}
double tangent(double d) {
    return std::tan(d);
}
double arcTangent(double d) {
    return std::atan(d);
}

} // namespace

void registerMathFunctions(BuiltinTable& t) {
    t.add("Abs", &abs, 1, 1);
    t.add("Sgn", &sgn, 1, 1);
    t.add("Int", &integerPart<true>, 1, 1);
    t.add("Fix", &integerPart<false>, 1, 1);
    t.add("Round", &round, 1, 2);
    t.add("Sqr", &sqr, 1, 1);
    t.add("Exp", &exp, 1, 1);
    t.add("Log", &log, 1, 1);
    t.add("Sin", &trig<sine>, 1, 1);
    t.add("Cos", &trig<cosine>, 1, 1);
    t.add("Tan", &trig<tangent>, 1, 1);
    t.add("Atn", &trig<arcTangent>, 1, 1);
    t.add("Rnd", &rnd, 0, 1);
    t.add("Randomize", &randomize, 0, 1);
    t.add("RGB", &rgb, 3, 3);
    t.add("Hex", &hex, 1, 1);
    t.add("Oct", &oct, 1, 1);
}

} // namespace tvk::script::lib
