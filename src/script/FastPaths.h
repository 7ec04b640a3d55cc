#pragma once

#include "script/Engine.h"
#include "script/Operators.h"

#include <cmath>
#include <cstdint>

// Typed fast paths shared by the evaluators of operators and statements: Integer, Long and Double
// operands are computed here without the general coercions; every other case, and every case that
// raises an error, goes through the general operators (Operators.h) with the same result.
namespace tvk::script {

inline bool isIntOrLong(VarType t) {
    return t == VarType::Integer || t == VarType::Long;
}

// An integer result in the smallest subtype of at least Integer (Long when `longs`) that holds it,
// Double beyond Long.
inline Value intResult(int64_t v, bool longs) {
    if (!longs && v >= -32768 && v <= 32767) return Value::integer(static_cast<int16_t>(v));
    if (v >= INT32_MIN && v <= INT32_MAX) return Value::lng(static_cast<int32_t>(v));
    return Value::dbl(static_cast<double>(v));
}

// An operand read the way the compiler chose for its shape; `tmp` holds computed values.
[[gnu::always_inline]] inline const Value& directOperand(BinaryExpr::Direct d, int slot, Expr& e, Frame& f,
                                                         Value& tmp) {
    switch (d) {
    case BinaryExpr::Direct::Local:
        return f.locals[slot];
    case BinaryExpr::Direct::Param:
        return *f.refs[slot];
    case BinaryExpr::Direct::Field:
        if (!f.self) [[unlikely]]
            throw RuntimeError(err::ObjectRequired);
        return f.self->fields[static_cast<size_t>(slot)];
    case BinaryExpr::Direct::Constant:
        return static_cast<LiteralExpr&>(e).value;
    case BinaryExpr::Direct::Nested: {
        auto& b = static_cast<BinaryExpr&>(e);
        tmp = b.evaluate(b, f);
        return tmp;
    }
    case BinaryExpr::Direct::LocalElement: {
        // a(i) with a and i local: the element is copied (a reference could outlive a ReDim).
        const Value& array = f.locals[slot];
        const Value& index = f.locals[static_cast<VarExpr&>(*static_cast<IndexVarExpr&>(e).args[0]).var.index];
        if (array.isArray() && isIntOrLong(index.type())) {
            const ArrayRep& rep = array.arr();
            int64_t i = index.rawInt();
            if (rep.counts.size() == 1 && i >= 0 && i < rep.counts[0]) {
                tmp = rep.data[static_cast<size_t>(i)];
                return tmp;
            }
        }
        tmp = e.eval(f);
        return tmp;
    }
    default:
        return e.ref(f, tmp);
    }
}

// One operator on two values, with fast paths for Integer/Long/Double operands; everything else
// (and every error case) goes through the general operators.
template <Op O> [[gnu::always_inline]] inline Value compute(const Value& l, const Value& r) {
    VarType ta = l.type(), tb = r.type();
    if (isIntOrLong(ta) && isIntOrLong(tb)) {
        int64_t x = l.rawInt(), y = r.rawInt();
        bool longs = ta == VarType::Long || tb == VarType::Long;
        if constexpr (O == Op::Add) return intResult(x + y, longs);
        if constexpr (O == Op::Sub) return intResult(x - y, longs);
        if constexpr (O == Op::Mul) return intResult(x * y, longs);
        if constexpr (O == Op::Div)
            if (y != 0) return Value::dbl(static_cast<double>(x) / static_cast<double>(y));
        // Integer and Long operands fit 32 bits, whose division is the cheaper one.
        if constexpr (O == Op::IntDiv)
            if (y != 0 && !(x == INT32_MIN && y == -1))
                return intResult(static_cast<int32_t>(x) / static_cast<int32_t>(y), longs);
        if constexpr (O == Op::Mod)
            if (y != 0) return intResult(y == -1 ? 0 : static_cast<int32_t>(x) % static_cast<int32_t>(y), longs);
        if constexpr (O == Op::Eq) return Value::boolean(x == y);
        if constexpr (O == Op::Ne) return Value::boolean(x != y);
        if constexpr (O == Op::Lt) return Value::boolean(x < y);
        if constexpr (O == Op::Le) return Value::boolean(x <= y);
        if constexpr (O == Op::Gt) return Value::boolean(x > y);
        if constexpr (O == Op::Ge) return Value::boolean(x >= y);
    } else if ((ta == VarType::Double || isIntOrLong(ta)) && (tb == VarType::Double || isIntOrLong(tb))) {
        double x = ta == VarType::Double ? l.rawDouble() : static_cast<double>(l.rawInt());
        double y = tb == VarType::Double ? r.rawDouble() : static_cast<double>(r.rawInt());
        double v = 0;
        bool arithmetic = false;
        if constexpr (O == Op::Add) v = x + y, arithmetic = true;
        if constexpr (O == Op::Sub) v = x - y, arithmetic = true;
        if constexpr (O == Op::Mul) v = x * y, arithmetic = true;
        if constexpr (O == Op::Div)
            if (y != 0) v = x / y, arithmetic = true;
        if constexpr (O == Op::Eq) return Value::boolean(x == y);
        if constexpr (O == Op::Ne) return Value::boolean(x != y);
        if constexpr (O == Op::Lt) return Value::boolean(x < y);
        if constexpr (O == Op::Le) return Value::boolean(x <= y);
        if constexpr (O == Op::Gt) return Value::boolean(x > y);
        if constexpr (O == Op::Ge) return Value::boolean(x >= y);
        if (arithmetic && std::isfinite(v)) return Value::dbl(v);
    }
    return binaryOp(O, l, r);
}

inline Value nestedValue(Expr& e, Frame& f) {
    auto& b = static_cast<BinaryExpr&>(e);
    return b.evaluate(b, f);
}

} // namespace tvk::script
