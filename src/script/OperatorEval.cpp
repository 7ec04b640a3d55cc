// Evaluation of unary and binary operators: each binary node gets, once, the evaluation made for
// its operator and operand shapes.
#include "events/RuntimeError.h"
#include "script/Coerce.h"
#include "script/Engine.h"
#include "script/FastPaths.h"
#include "script/Operators.h"

namespace tvk::script {

Value UnaryExpr::eval(Frame& f) {
    Value tmp;
    const Value& v = operand->ref(f, tmp);
    if (op == Op::Neg) {
        if (v.type() == VarType::Long && v.rawInt() != INT32_MIN) return Value::lng(static_cast<int32_t>(-v.rawInt()));
        if (v.type() == VarType::Double) return Value::dbl(-v.rawDouble());
    }
    return unaryOp(op, v);
}

namespace {

template <Op O> [[gnu::flatten]] Value evalBinary(BinaryExpr& b, Frame& f) {
    using D = BinaryExpr::Direct;
    if (!b.rhsPure) {
        // The right side may change the left side's variable: take the left value first.
        Value lt = b.lhs->eval(f);
        Value rt;
        return compute<O>(lt, directOperand(b.rhsDirect, b.rhsSlot, *b.rhs, f, rt));
    }
    // Nested operands are built in place (no temporary to assign); the pure right side lets the
    // left side be read by reference.
    Value lt = b.lhsDirect == D::Nested ? nestedValue(*b.lhs, f) : Value();
    Value rt = b.rhsDirect == D::Nested ? nestedValue(*b.rhs, f) : Value();
    const Value& l = b.lhsDirect == D::Nested ? lt : directOperand(b.lhsDirect, b.lhsSlot, *b.lhs, f, lt);
    const Value& r = b.rhsDirect == D::Nested ? rt : directOperand(b.rhsDirect, b.rhsSlot, *b.rhs, f, rt);
    return compute<O>(l, r);
}

// a & b & c ...: each link appends to the text the link before it made, instead of copying it.
Value evalCat(BinaryExpr& b, Frame& f) {
    if (b.lhsDirect != BinaryExpr::Direct::Nested) return evalBinary<Op::Cat>(b, f);
    Value l = nestedValue(*b.lhs, f);
    Value rt;
    return concatTemporary(std::move(l), directOperand(b.rhsDirect, b.rhsSlot, *b.rhs, f, rt));
}

// Arithmetic and comparison on operands of fixed shapes (local, parameter, field, literal, nested operation,
// local array element on the right) with a pure right side: the same evaluation as evalBinary without
// choosing the operand access each time.
template <BinaryExpr::Direct D>
[[gnu::always_inline]] inline const Value& shaped(int slot, Expr& e, Frame& f, Value& tmp) {
    if constexpr (D == BinaryExpr::Direct::Nested)
        return tmp; // computed first, as evalBinary does
    else
        return directOperand(D, slot, e, f, tmp);
}

template <Op O, BinaryExpr::Direct L, BinaryExpr::Direct R> [[gnu::flatten]] Value evalShaped(BinaryExpr& b, Frame& f) {
    using D = BinaryExpr::Direct;
    Value lt = L == D::Nested ? nestedValue(*b.lhs, f) : Value();
    Value rt = R == D::Nested ? nestedValue(*b.rhs, f) : Value();
    const Value& l = shaped<L>(b.lhsSlot, *b.lhs, f, lt);
    const Value& r = shaped<R>(b.rhsSlot, *b.rhs, f, rt);
    return compute<O>(l, r);
}

// The same, stored straight into a variable (local = operation): no value returned through memory.
// The target is checked after the operation, so its errors come first, as for any assignment.
template <Op O, BinaryExpr::Direct L, BinaryExpr::Direct R>
[[gnu::flatten]] void storeShaped(BinaryExpr& b, Frame& f, Value& out) {
    using D = BinaryExpr::Direct;
    Value lt = L == D::Nested ? nestedValue(*b.lhs, f) : Value();
    Value rt = R == D::Nested ? nestedValue(*b.rhs, f) : Value();
    const Value& l = shaped<L>(b.lhsSlot, *b.lhs, f, lt);
    const Value& r = shaped<R>(b.rhsSlot, *b.rhs, f, rt);
    Value v = compute<O>(l, r);
    if (out.fixedArray()) [[unlikely]]
        throw RuntimeError(err::ArrayLocked);
    out = std::move(v);
}

// Which of the two shaped forms a table below hands out.
struct Evaluating {
    using Fn = BinaryExpr::EvalFn;
    template <Op O, BinaryExpr::Direct L, BinaryExpr::Direct R> static Fn make() { return &evalShaped<O, L, R>; }
};
struct Storing {
    using Fn = BinaryExpr::StoreFn;
    template <Op O, BinaryExpr::Direct L, BinaryExpr::Direct R> static Fn make() { return &storeShaped<O, L, R>; }
};

template <class P, Op O, BinaryExpr::Direct L> typename P::Fn shapedRight(BinaryExpr::Direct r) {
    using D = BinaryExpr::Direct;
    switch (r) {
    case D::Local:
        return P::template make<O, L, D::Local>();
    case D::Constant:
        return P::template make<O, L, D::Constant>();
    case D::Nested:
        return P::template make<O, L, D::Nested>();
    case D::LocalElement:
        return P::template make<O, L, D::LocalElement>();
    case D::Param:
        return P::template make<O, L, D::Param>();
    case D::Field:
        return P::template make<O, L, D::Field>();
    default:
        return nullptr;
    }
}

template <class P, Op O> typename P::Fn shapedFor(BinaryExpr::Direct l, BinaryExpr::Direct r) {
    using D = BinaryExpr::Direct;
    switch (l) {
    case D::Local:
        return shapedRight<P, O, D::Local>(r);
    case D::Constant:
        return shapedRight<P, O, D::Constant>(r);
    case D::Nested:
        return shapedRight<P, O, D::Nested>(r);
    case D::Param:
        return shapedRight<P, O, D::Param>(r);
    case D::Field:
        return shapedRight<P, O, D::Field>(r);
    default:
        return nullptr;
    }
}

// Arithmetic operators, in either form.
template <class P> typename P::Fn shapedArithmetic(Op op, BinaryExpr::Direct l, BinaryExpr::Direct r) {
    switch (op) {
    case Op::Mul:
        return shapedFor<P, Op::Mul>(l, r);
    case Op::Div:
        return shapedFor<P, Op::Div>(l, r);
    case Op::IntDiv:
        return shapedFor<P, Op::IntDiv>(l, r);
    case Op::Mod:
        return shapedFor<P, Op::Mod>(l, r);
    case Op::Add:
        return shapedFor<P, Op::Add>(l, r);
    case Op::Sub:
        return shapedFor<P, Op::Sub>(l, r);
    default:
        return nullptr;
    }
}

BinaryExpr::EvalFn shapedEvaluator(Op op, BinaryExpr::Direct l, BinaryExpr::Direct r) {
    switch (op) {
    case Op::Eq:
        return shapedFor<Evaluating, Op::Eq>(l, r);
    case Op::Ne:
        return shapedFor<Evaluating, Op::Ne>(l, r);
    case Op::Lt:
        return shapedFor<Evaluating, Op::Lt>(l, r);
    case Op::Le:
        return shapedFor<Evaluating, Op::Le>(l, r);
    case Op::Gt:
        return shapedFor<Evaluating, Op::Gt>(l, r);
    case Op::Ge:
        return shapedFor<Evaluating, Op::Ge>(l, r);
    default:
        return shapedArithmetic<Evaluating>(op, l, r);
    }
}

BinaryExpr::EvalFn binaryEvaluator(Op op) {
    switch (op) {
    case Op::Pow:
        return &evalBinary<Op::Pow>;
    case Op::Mul:
        return &evalBinary<Op::Mul>;
    case Op::Div:
        return &evalBinary<Op::Div>;
    case Op::IntDiv:
        return &evalBinary<Op::IntDiv>;
    case Op::Mod:
        return &evalBinary<Op::Mod>;
    case Op::Add:
        return &evalBinary<Op::Add>;
    case Op::Sub:
        return &evalBinary<Op::Sub>;
    case Op::Cat:
        return &evalCat;
    case Op::Eq:
        return &evalBinary<Op::Eq>;
    case Op::Ne:
        return &evalBinary<Op::Ne>;
    case Op::Lt:
        return &evalBinary<Op::Lt>;
    case Op::Le:
        return &evalBinary<Op::Le>;
    case Op::Gt:
        return &evalBinary<Op::Gt>;
    case Op::Ge:
        return &evalBinary<Op::Ge>;
    case Op::Is:
        return &evalBinary<Op::Is>;
    case Op::And:
        return &evalBinary<Op::And>;
    case Op::Or:
        return &evalBinary<Op::Or>;
    case Op::Xor:
        return &evalBinary<Op::Xor>;
    case Op::Eqv:
        return &evalBinary<Op::Eqv>;
    case Op::Imp:
        return &evalBinary<Op::Imp>;
    default:
        return &evalBinary<Op::Add>; // unary operators never reach a BinaryExpr
    }
}

} // namespace

BinaryExpr::BinaryExpr(Op o, ExprPtr l, ExprPtr r, Pos p)
    : Expr(ExprKind::Binary, p), op(o), lhs(std::move(l)), rhs(std::move(r)), evaluate(binaryEvaluator(o)) {}

namespace {
// A comparison with a literal operand: numbers take the usual fast path; text meeting a number
// follows the literal's type. The left value is taken first unless the right side is pure.
template <Op O> [[gnu::flatten]] Value evalLiteralCompare(BinaryExpr& b, Frame& f) {
    Value lt, rt;
    if (!b.rhsPure) lt = b.lhs->eval(f);
    const Value& l = b.rhsPure ? directOperand(b.lhsDirect, b.lhsSlot, *b.lhs, f, lt) : lt;
    const Value& r = directOperand(b.rhsDirect, b.rhsSlot, *b.rhs, f, rt);
    if (!l.isString() && !r.isString()) return compute<O>(l, r);
    return compareWithLiteral(O, l, r, b.lhs->kind == ExprKind::Literal, b.rhs->kind == ExprKind::Literal);
}

BinaryExpr::EvalFn literalCompareEvaluator(Op op) {
    switch (op) {
    case Op::Eq:
        return &evalLiteralCompare<Op::Eq>;
    case Op::Ne:
        return &evalLiteralCompare<Op::Ne>;
    case Op::Lt:
        return &evalLiteralCompare<Op::Lt>;
    case Op::Le:
        return &evalLiteralCompare<Op::Le>;
    case Op::Gt:
        return &evalLiteralCompare<Op::Gt>;
    case Op::Ge:
        return &evalLiteralCompare<Op::Ge>;
    default:
        return nullptr;
    }
}
} // namespace

void BinaryExpr::specialise() {
    evaluate = binaryEvaluator(op);
    store = nullptr;
    if (literalOperand) {
        if (EvalFn fn = literalCompareEvaluator(op)) {
            evaluate = fn;
            return;
        }
    }
    if (!rhsPure) return; // the left value must be taken before the right side runs
    if (EvalFn fn = shapedEvaluator(op, lhsDirect, rhsDirect)) evaluate = fn;
    store = shapedArithmetic<Storing>(op, lhsDirect, rhsDirect);
}

} // namespace tvk::script
