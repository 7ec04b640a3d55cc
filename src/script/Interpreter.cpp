// Runs the resolved syntax tree: expression evaluation, statements and the On Error boundary.
#include "script/ByteText.h"
#include "script/Coerce.h"
#include "script/Engine.h"
#include "script/FastPaths.h"
#include "script/Operators.h"
#include "script/ScriptError.h"

#include <cmath>
#include <limits>
#include <typeinfo>

namespace tvk::script {

namespace {

inline Value& varSlot(Frame& f, VarRef r) {
    return variableSlot(f, r);
}

// Argument values of a call; small lists stay on the native stack.
struct ArgValues {
    static constexpr size_t Inline = 6;
    Value inlineStore[Inline];
    std::vector<Value> heap;
    std::span<Value> span;

    ArgValues(ExprList& args, Frame& f) {
        Value* out = inlineStore;
        if (args.size() > Inline) {
            heap.resize(args.size());
            out = heap.data();
        }
        for (size_t i = 0; i < args.size(); ++i)
            if (args[i]) out[i] = args[i]->eval(f);
        span = std::span<Value>(out, args.size());
    }
};

// Truth of a condition: Null and Empty are false; text must read as a Boolean or number.
inline bool truth(const Value& v) {
    switch (v.type()) {
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
        return v.rawInt() != 0;
    case VarType::Null:
    case VarType::Empty:
        return false;
    default:
        return toBool(v);
    }
}

Value letValue(Value v, bool isSet) {
    if (isSet) {
        if (!v.isObject()) throw RuntimeError(err::ObjectRequired);
        return v;
    }
    if (v.isObject()) return defaultValue(v);
    return v;
}

ScriptObject* objectOf(const Value& v) {
    // A member of Nothing or of a non-object: the language reports both as "Object required".
    if (!v.isObject() || !v.obj()) throw RuntimeError(err::ObjectRequired);
    return v.obj();
}

} // namespace

void Expr::assign(Frame&, Value, bool) {
    throw RuntimeError(err::IllegalAssignment);
}

// ---- Variables ----

Value VarExpr::eval(Frame& f) {
    return varSlot(f, var);
}

const Value& VarExpr::ref(Frame& f, Value&) {
    return varSlot(f, var);
}

void VarExpr::assign(Frame& f, Value v, bool isSet) {
    if (readOnly) throw RuntimeError(err::IllegalAssignment);
    Value nv = letValue(std::move(v), isSet);
    Value& s = varSlot(f, var);
    if (s.fixedArray()) throw RuntimeError(err::ArrayLocked);
    s = std::move(nv);
}

Value* VarExpr::slot(Frame& f) {
    return &varSlot(f, var);
}

Value IndexVarExpr::eval(Frame& f) {
    if (args.size() == 1 && args[0]) {
        // a(i) on a one-dimensional array: no argument list.
        Value index = args[0]->eval(f);
        const Value& s = varSlot(f, var);
        if (s.isArray() && isIntOrLong(index.type())) {
            const ArrayRep& rep = s.arr();
            int64_t i = index.rawInt();
            if (rep.counts.size() == 1 && i >= 0 && i < rep.counts[0]) return rep.data[static_cast<size_t>(i)];
        }
        return indexValue(s, std::span<Value>(&index, 1));
    }
    ArgValues a(args, f);
    return indexValue(varSlot(f, var), a.span);
}

void IndexVarExpr::assign(Frame& f, Value v, bool isSet) {
    ArgValues a(args, f);
    Value& s = varSlot(f, var);
    if (s.isArray()) {
        Value nv = letValue(std::move(v), isSet);
        arrayElement(s.mutableArray(), a.span) = std::move(nv);
        return;
    }
    if (s.isObject()) {
        auto keep = s.objShared();
        if (!keep) throw RuntimeError(err::ObjectNotSet);
        keep->assign(ScriptObject::DefaultMember, a.span, v, isSet);
        return;
    }
    throw RuntimeError(err::TypeMismatch);
}

Value DynamicExpr::eval(Frame& f) {
    Value* s = variable(f);
    if (!s) {
        GlobalEntry* g = f.eng.findGlobal(name);
        if (g && g->kind == GlobalEntry::Procedure) return f.eng.callProc(*g->proc, nullptr, args, f);
        if (g && g->kind == GlobalEntry::Class) throw RuntimeError(err::TypeMismatch);
        if (const Builtin* b = f.eng.builtins.find(name)) {
            CallBuiltinExpr call(b, std::move(args), pos);
            Value r = call.eval(f);
            args = std::move(call.args);
            return r;
        }
        throw RuntimeError(err::VariableUndefined,
                           "Variable is undefined: '" + utf16ToUtf8(written.empty() ? name : written) + "'");
    }
    if (!hasParens) return *s;
    ArgValues a(args, f);
    return indexValue(*s, a.span);
}

void DynamicExpr::assign(Frame& f, Value v, bool isSet) {
    Value* s = variable(f);
    // Named objects and constants are read-only; a variable of the call that hides one is not.
    bool global = s && cachedGlobal >= 0 && s == &f.eng.globals[static_cast<size_t>(cachedGlobal)];
    if (cachedReadOnly && global && (!hasParens || args.empty())) throw RuntimeError(err::IllegalAssignment);
    if (!s)
        throw RuntimeError(err::VariableUndefined,
                           "Variable is undefined: '" + utf16ToUtf8(written.empty() ? name : written) + "'");
    if (!hasParens || args.empty()) {
        *s = letValue(std::move(v), isSet);
        return;
    }
    ArgValues a(args, f);
    if (s->isArray()) {
        Value nv = letValue(std::move(v), isSet);
        arrayElement(s->mutableArray(), a.span) = std::move(nv);
    } else if (s->isObject()) {
        auto keep = s->objShared();
        if (!keep) throw RuntimeError(err::ObjectNotSet);
        keep->assign(ScriptObject::DefaultMember, a.span, v, isSet);
    } else {
        throw RuntimeError(err::TypeMismatch);
    }
}

Value* DynamicExpr::slot(Frame& f) {
    if (hasParens) return nullptr; // x(i) and x() are an element or a call, not the variable
    return variable(f);
}

Value* DynamicExpr::variable(Frame& f) {
    if (frameFirst && f.extra) {
        auto it = f.extra->find(name);
        if (it != f.extra->end()) return &it->second;
    }
    if (cachedGlobal >= 0) return &f.eng.globals[static_cast<size_t>(cachedGlobal)];
    if (GlobalEntry* g = f.eng.findGlobal(name)) {
        if (g->kind == GlobalEntry::Variable || g->kind == GlobalEntry::Constant) {
            cachedGlobal = g->slot;
            cachedReadOnly = g->readOnly;
            return &f.eng.globals[static_cast<size_t>(g->slot)];
        }
        return nullptr;
    }
    if (f.extra) {
        auto it = f.extra->find(name);
        if (it != f.extra->end()) return &it->second;
        if (frameLocal) return &(*f.extra)[name];
    }
    if (fallbackLocal >= 0 && f.locals) return &f.locals[fallbackLocal];
    if (createGlobal && !f.eng.builtins.find(name)) {
        cachedGlobal = f.eng.addGlobalVariable(name);
        return &f.eng.globals[static_cast<size_t>(cachedGlobal)];
    }
    return nullptr;
}

// ---- Calls ----

Value NameExpr::eval(Frame&) {
    throw RuntimeError(err::InternalError);
} // always resolved before running

Value CallProcExpr::eval(Frame& f) {
    // Code added later may define the procedure again but not turn its name into anything else;
    // checked all the same, so a call never follows a missing definition.
    const ProcDef* proc = entry->kind == GlobalEntry::Procedure ? entry->proc : nullptr;
    if (!proc) throw RuntimeError(err::TypeMismatch);
    return f.eng.callProc(*proc, nullptr, args, f);
}

Value CallBuiltinExpr::eval(Frame& f) {
    int n = static_cast<int>(args.size());
    if (n < builtin->minArgs || n > builtin->maxArgs) throw RuntimeError(err::WrongArgumentCount);
    ArgValues a(args, f);
    CallContext ctx(f.eng.host, f.eng, &f);
    return builtin->fn(ctx, a.span);
}

Value SelfMemberExpr::eval(Frame& f) {
    if (!f.self) throw RuntimeError(err::ObjectRequired);
    const MemberDef& m = f.self->cls().members[static_cast<size_t>(memberId - 1)];
    if (m.method) return f.eng.callProc(*m.method, f.self, args, f);
    if (m.get) return f.eng.callProc(*m.get, f.self, args, f);
    throw RuntimeError(err::NoSuchMember);
}

void SelfMemberExpr::assign(Frame& f, Value v, bool isSet) {
    if (!f.self) throw RuntimeError(err::ObjectRequired);
    ArgValues a(args, f);
    f.self->assignMember(memberId, a.span, v, isSet, true);
}

// The member id of the site's name in `o` (with `table`, o's member table), looked up and cached.
[[gnu::noinline]] static int memberIdLookup(MemberExpr& site, ScriptObject* o, const void* table, bool& scriptClass) {
    scriptClass = table && typeid(*o) == typeid(ClassInstance); // a script object always has a table
    int id = ScriptObject::DefaultMember;
    if (!site.name.empty()) {
        id = site.onMe ? static_cast<ClassInstance*>(o)->cls().memberIndex(site.name) : o->memberId(site.name);
        if (id < 0)
            throw RuntimeError(err::NoSuchMember,
                               "Object doesn't support this property or method: '" + utf16ToUtf8(site.name) + "'");
    }
    if (table) site.cachedTable = table, site.cachedId = id, site.cachedClass = scriptClass;
    return id;
}

// The id of the site's member name in `o`, through the site's cache: objects of one kind (one
// member table) give one id, so the name is looked up once per kind met. `scriptClass` tells
// whether `o` is an object of a script class (cached too: comparing types may compare names).
[[gnu::always_inline]] inline int memberIdAt(MemberExpr& site, ScriptObject* o, bool& scriptClass) {
    const void* table = o->memberTable();
    if (table && table == site.cachedTable) {
        scriptClass = site.cachedClass;
        return site.cachedId;
    }
    return memberIdLookup(site, o, table, scriptClass);
}

Value MemberExpr::eval(Frame& f) {
    Value hold;
    const Value& b = !base                         ? varSlot(f, withSlot)
                     : base->kind == ExprKind::Var ? varSlot(f, static_cast<VarExpr&>(*base).var)
                                                   : base->ref(f, hold);
    if (name.empty() && b.isArray()) {
        // f(x)(i): index the array a call returned.
        Value array = b;
        ArgValues a(args, f);
        return indexValue(array, a.span);
    }
    ScriptObject* o = objectOf(b);
    // Holding the value keeps its object box, and so the object, alive (a count without atomics).
    const Value keep = b;
    bool scriptClass = false;
    const int id = memberIdAt(*this, o, scriptClass);
    if (scriptClass) {
        // A method or Property Get of a script class of this engine: arguments go ByRef as in any call.
        auto* inst = static_cast<ClassInstance*>(o);
        int mid = id == ScriptObject::DefaultMember ? inst->cls().defaultMember : id;
        if (inst->ownedBy(&f.eng) && mid >= 1) {
            const MemberDef& m = inst->cls().members[static_cast<size_t>(mid - 1)];
            const ProcDef* p = m.method ? m.method : m.get;
            if (p && (m.isPublic || onMe)) return f.eng.callProc(*p, inst, args, f);
            // A field read: no call, no argument list.
            if (m.field >= 0 && args.empty() && (m.isPublic || onMe)) return inst->fields[static_cast<size_t>(m.field)];
        }
    }
    ArgValues a(args, f);
    if (onMe) return static_cast<ClassInstance*>(o)->invokeMember(id, a.span, true);
    return o->invoke(id, a.span);
}

void MemberExpr::assign(Frame& f, Value v, bool isSet) {
    Value hold;
    const bool nested = name.empty() && base &&
                        (base->kind == ExprKind::IndexVar || base->kind == ExprKind::Member ||
                         (base->kind == ExprKind::Dynamic && static_cast<DynamicExpr&>(*base).hasParens));
    if (nested) {
        // a(0)(1) = v: when a(0) holds an array, change that element and store the array back.
        hold = base->eval(f);
        if (hold.isArray()) {
            ArgValues a(args, f);
            arrayElement(hold.mutableArray(), a.span) = letValue(std::move(v), isSet);
            base->assign(f, std::move(hold), false);
            return;
        }
    }
    const Value& b = nested                        ? hold
                     : !base                       ? varSlot(f, withSlot)
                     : base->kind == ExprKind::Var ? varSlot(f, static_cast<VarExpr&>(*base).var)
                                                   : base->ref(f, hold);
    ScriptObject* o = objectOf(b);
    const Value keep = b; // keeps the object alive, as in eval
    bool scriptClass = false;
    const int id = memberIdAt(*this, o, scriptClass);
    if (isSet && !v.isObject()) throw RuntimeError(err::ObjectRequired);
    if (!isSet && args.empty() && !v.isObject() && id >= 1 && scriptClass) {
        // A plain value into a public field of a script class of this engine: stored in place.
        auto* inst = static_cast<ClassInstance*>(o);
        const MemberDef& m = inst->cls().members[static_cast<size_t>(id - 1)];
        if (inst->ownedBy(&f.eng) && m.field >= 0 && (m.isPublic || onMe)) {
            inst->fields[static_cast<size_t>(m.field)] = std::move(v);
            return;
        }
    }
    ArgValues a(args, f);
    if (onMe)
        static_cast<ClassInstance*>(o)->assignMember(id, a.span, v, isSet, true);
    else
        o->assign(id, a.span, v, isSet);
}

Value RaiseExpr::eval(Frame&) {
    throw RuntimeError(number);
}

void RaiseExpr::assign(Frame&, Value, bool) {
    throw RuntimeError(number);
}

Value MeExpr::eval(Frame& f) {
    if (!f.self) throw RuntimeError(err::ObjectRequired);
    std::shared_ptr<ClassInstance> me = f.self->weak_from_this().lock();
    return Value::object(me); // Nothing while the object is being terminated
}

Value NewExpr::eval(Frame& f) {
    if (!cls && !factory) {
        factory = f.eng.builtins.classFactory(name); // built-in classes before script classes
        GlobalEntry* g = factory ? nullptr : f.eng.findGlobal(lowerAscii(name));
        if (g && g->kind == GlobalEntry::Class) cls = g->cls;
    }
    if (cls) return f.eng.newInstance(*cls);
    if (factory) {
        CallContext ctx(f.eng.host, f.eng, &f);
        return f.eng.adoptCreated(factory(ctx));
    }
    throw RuntimeError(err::ClassNotDefined, "Class not defined: '" + utf16ToUtf8(name) + "'");
}

// ---- Statements ----

[[noreturn, gnu::noinline]] static void throwAt(int number, const std::string& description, const Stmt& s,
                                                const Frame& f) {
    ScriptError error(number, description, s.pos.line, s.pos.col, false);
    error.setCodeIndex(f.code);
    throw error;
}

// The error a statement raised: to Err under On Error Resume Next, else on with the statement's
// position. Kept out of line so that running a statement costs its callers no more than a call.
[[gnu::noinline]] void statementFailed(const Stmt& s, Frame& f) {
    try {
        throw;
    } catch (const ScriptError& e) {
        if (!f.resumeNext) throw;
        f.eng.setErr(e.number(), e.description(), e.isCompileError() ? CompileErrorSource : "");
    } catch (const RuntimeError& e) {
        if (!f.resumeNext) throwAt(e.number(), scriptDescription(e), s, f);
        f.eng.setErr(e.number(), scriptDescription(e), "");
    } catch (const std::bad_alloc&) {
        if (!f.resumeNext)
            throwAt(err::OutOfMemory, std::string(err::describe(err::OutOfMemory, err::Wording::Script)), s, f);
        f.eng.setErr(err::OutOfMemory, std::string(err::describe(err::OutOfMemory, err::Wording::Script)), "");
    } catch (ScriptAbort& a) {
        if (a.line == 0) a.line = s.pos.line, a.col = s.pos.col, a.code = f.code;
        throw;
    }
}

Flow execBlock(const Block& b, Frame& f) {
    for (const auto& s : b) {
        Flow flow = execOne(*s, f);
        if (flow != Flow::Normal) return flow;
    }
    return Flow::Normal;
}

Flow CallStmt::exec(Frame& f) {
    call->eval(f);
    return Flow::Normal;
}

Flow AssignStmt::exec(Frame& f) {
    if (!appendPieces.empty()) {
        // The pieces are pure, so taking them before the target's text gives the same result.
        Value pieces[MaxAppendPieces];
        for (size_t i = 0; i < appendPieces.size(); ++i)
            pieces[i] = appendPieces[i]->eval(f);
        Value& s = varSlot(f, static_cast<VarExpr*>(target.get())->var);
        std::u16string* text = s.uniqueString();
        // An object's text comes from its default member, script code that may replace the target's
        // text under the pointer just taken: such pieces join by copying, below. A text of an odd
        // number of bytes (ChrB) on either side joins byte-wise.
        bool oddBytes = s.oddByte() >= 0, objects = false;
        for (size_t i = 0; i < appendPieces.size(); ++i) {
            oddBytes |= pieces[i].oddByte() >= 0;
            objects |= pieces[i].isObject();
        }
        if (oddBytes && !objects && bytetext::appendInPlace(s, std::span<const Value>(pieces, appendPieces.size())))
            return Flow::Normal;
        if (text && !oddBytes && !objects) {
            // The memory budget is charged for the grown text before it grows.
            size_t total = text->size();
            for (size_t i = 0; i < appendPieces.size(); ++i)
                if (pieces[i].isString())
                    total += pieces[i].str().size();
                else if (!pieces[i].isNull())
                    total += toString(pieces[i]).size();
            if (total > (size_t{1} << 28)) throw RuntimeError(err::OutOfStringSpace);
            s.chargeTextLength(total);
            for (size_t i = 0; i < appendPieces.size(); ++i)
                appendText(*text, pieces[i]);
            return Flow::Normal;
        }
        Value joined = concat(s, pieces[0]);
        for (size_t i = 1; i < appendPieces.size(); ++i)
            joined = concatTemporary(std::move(joined), pieces[i]);
        target->assign(f, std::move(joined), false);
        return Flow::Normal;
    }
    if (target->kind == ExprKind::Var && !static_cast<VarExpr*>(target.get())->readOnly) {
        // Plain variable: the common case, without the virtual assignment.
        Value v = value->kind == ExprKind::Binary ? nestedValue(*value, f) : value->eval(f);
        if (v.isObject() || isSet) v = letValue(std::move(v), isSet);
        Value& s = varSlot(f, static_cast<VarExpr*>(target.get())->var);
        if (s.fixedArray()) throw RuntimeError(err::ArrayLocked);
        s = std::move(v);
        return Flow::Normal;
    }
    target->assign(f, value->eval(f), isSet);
    return Flow::Normal;
}

Flow VarAssignStmt::exec(Frame& f) {
    // A field of Me without Me fails, but only after the value is taken, as for any target.
    Value* target = var.kind == VarRef::Local              ? &f.locals[var.index]
                    : var.kind == VarRef::Field && !f.self ? nullptr
                                                           : &varSlot(f, var);
    if (value->kind == ExprKind::Binary && target) {
        auto& b = static_cast<BinaryExpr&>(*value);
        if (b.store) {
            b.store(b, f, *target);
            return Flow::Normal;
        }
    }
    // x = y and x = F(...) read the variable or call the procedure without a virtual evaluation.
    Value v = value->kind == ExprKind::Binary     ? nestedValue(*value, f)
              : value->kind == ExprKind::Var      ? Value(varSlot(f, static_cast<VarExpr&>(*value).var))
              : value->kind == ExprKind::CallProc ? static_cast<CallProcExpr&>(*value).CallProcExpr::eval(f)
                                                  : value->eval(f);
    if (v.isObject()) [[unlikely]]
        v = defaultValue(v);
    if (!target) [[unlikely]]
        throw RuntimeError(err::ObjectRequired);
    if (target->fixedArray()) [[unlikely]]
        throw RuntimeError(err::ArrayLocked);
    *target = std::move(v);
    return Flow::Normal;
}

Flow LocalStoreStmt::exec(Frame& f) {
    op->store(*op, f, f.locals[slot]);
    return Flow::Normal;
}

Flow DimStmt::exec(Frame& f) {
    std::vector<int32_t> counts;
    size_t total = 1;
    for (auto& b : bounds) {
        int64_t count = int64_t{toLong(b->eval(f))} + 1; // UBound + 1, without 32-bit overflow
        if (count < 0) throw RuntimeError(err::SubscriptOutOfRange);
        if (count > MaxArrayElements) throw RuntimeError(err::OutOfMemory);
        counts.push_back(static_cast<int32_t>(count));
        total *= static_cast<size_t>(count);
        if (total > static_cast<size_t>(MaxArrayElements)) throw RuntimeError(err::OutOfMemory);
    }
    Value* s = target->slot(f);
    if (!s) throw RuntimeError(err::VariableUndefined);
    if (!redim) {
        *s = Value::array(counts);
        s->setFixedArray(!counts.empty()); // Dim a() declares a dynamic array
        return Flow::Normal;
    }
    if (s->fixedArray()) throw RuntimeError(err::ArrayLocked);
    f.eng.checkBudget(); // a large array takes a while to make: not after the budget is spent
    Value fresh = Value::array(counts);
    if (preserve && s->isArray()) {
        const ArrayRep& old = s->arr();
        if (!old.counts.empty()) {
            if (old.counts.size() != counts.size()) throw RuntimeError(err::SubscriptOutOfRange);
            for (size_t d = 0; d + 1 < counts.size(); ++d)
                if (old.counts[d] != counts[d]) throw RuntimeError(err::SubscriptOutOfRange);
            // Only the last dimension changes: copy each row's common prefix.
            size_t oldLast = static_cast<size_t>(old.counts.back()), newLast = static_cast<size_t>(counts.back());
            size_t rows = newLast == 0 ? 0 : fresh.arr().data.size() / newLast;
            size_t keep = oldLast < newLast ? oldLast : newLast;
            ArrayRep& dst = fresh.mutableArray();
            for (size_t r = 0; r < rows; ++r) {
                if (r % 64 == 63) f.eng.checkBudget();
                for (size_t c = 0; c < keep; ++c) {
                    dst.data[r * newLast + c] = old.data[r * oldLast + c];
                    if ((c & 0xFFFF) == 0xFFFF) f.eng.checkBudget();
                }
            }
        }
    }
    *s = std::move(fresh);
    return Flow::Normal;
}

Flow EraseStmt::exec(Frame& f) {
    Value* s = target->slot(f);
    if (!s || !s->isArray()) throw RuntimeError(err::TypeMismatch);
    if (s->fixedArray()) {
        for (auto& v : s->mutableArray().data)
            v = Value();
    } else {
        *s = Value::array({});
    }
    return Flow::Normal;
}

Flow IfStmt::exec(Frame& f) {
    for (auto& [cond, body] : branches) {
        bool taken;
        try {
            taken = truth(cond->kind == ExprKind::Binary ? nestedValue(*cond, f) : cond->eval(f));
        } catch (const RuntimeError& e) {
            // With On Error Resume Next a failing condition goes on into the branch, as the
            // language has always done.
            if (!f.resumeNext) throw;
            f.eng.setErr(e.number(), scriptDescription(e), "");
            taken = true;
        }
        if (taken) return execBlock(body, f);
    }
    return execBlock(elseBlock, f);
}

namespace {
// The counter's value for `x`: Integer while it fits unless a bound or the step is a Long, then
// Long; 6 beyond Long.
inline Value counterValue(int64_t x, bool longs) {
    if (!longs && x >= -32768 && x <= 32767) return Value::integer(static_cast<int16_t>(x));
    if (x < INT32_MIN || x > INT32_MAX) [[unlikely]]
        throw RuntimeError(err::Overflow);
    return Value::lng(static_cast<int32_t>(x));
}

// For over integer bounds, counting up or down. The counter is stored before each test, so after
// the loop it holds the first value past the end; the body may change it.
template <bool Up>
Flow countedLoop(Value& counter, int64_t i, int64_t end, int64_t inc, bool longs, const Block& body, Frame& f) {
    const Stmt* only = body.size() == 1 ? body[0].get() : nullptr;
    // A body that is one "local = operation" (an accumulator) runs the operation's stored form
    // directly; its errors still go through the statement's handling.
    BinaryExpr* op = nullptr;
    Value* target = nullptr;
    if (only && only->kind == StmtKind::StoreLocal) {
        auto& a = static_cast<const LocalStoreStmt&>(*only);
        op = a.op;
        target = &f.locals[a.slot];
    }
    for (;;) {
        counter = counterValue(i, longs);
        if (Up ? i > end : i < end) break;
        if (op) {
            try {
                op->store(*op, f, *target);
            } catch (...) {
                statementFailed(*only, f);
            }
        } else {
            Flow fl = only ? execOne(*only, f) : execBlock(body, f);
            if (fl != Flow::Normal) [[unlikely]]
                return fl == Flow::ExitFor ? Flow::Normal : fl;
        }
        f.eng.tick();
        i = isIntOrLong(counter.type()) ? counter.rawInt() : toLong(counter);
        i += inc;
    }
    return Flow::Normal;
}
} // namespace

Flow ForStmt::exec(Frame& f) {
    Value a = from->eval(f), b = to->eval(f), st = step ? step->eval(f) : Value::integer(1);
    if (a.isNull() || b.isNull() || st.isNull()) throw RuntimeError(err::InvalidUseOfNull);
    Value* v = var->slot(f);
    if (!v) throw RuntimeError(err::VariableUndefined);
    auto isInt = [](const Value& x) {
        return x.type() == VarType::Integer || x.type() == VarType::Long || x.type() == VarType::Byte ||
               x.type() == VarType::Empty || x.type() == VarType::Boolean;
    };
    if (isInt(a) && isInt(b) && isInt(st)) {
        bool longs = a.type() == VarType::Long || b.type() == VarType::Long || st.type() == VarType::Long;
        int64_t i = a.rawInt(), end = b.rawInt(), inc = st.rawInt();
        return inc >= 0 ? countedLoop<true>(*v, i, end, inc, longs, body, f)
                        : countedLoop<false>(*v, i, end, inc, longs, body, f);
    }
    double i = toDouble(a), end = toDouble(b), inc = toDouble(st);
    VarType t = a.type() == VarType::Single && b.type() != VarType::Double ? VarType::Single : VarType::Double;
    for (;;) {
        if (!std::isfinite(i) || (t == VarType::Single && std::fabs(i) > std::numeric_limits<float>::max()))
            throw RuntimeError(err::Overflow);
        *v = t == VarType::Single ? Value::single(static_cast<float>(i)) : Value::dbl(i);
        if (inc >= 0 ? i > end : i < end) break;
        Flow fl = execBody(body, f);
        if (fl == Flow::ExitFor) break;
        if (fl != Flow::Normal) return fl;
        f.eng.tick();
        i = toDouble(*v) + inc;
    }
    return Flow::Normal;
}

namespace {
// The elements of an array in the order For Each walks them: the first index changes fastest.
std::vector<Value> elementsInWalkOrder(const ArrayRep& a) {
    if (a.counts.size() <= 1) return a.data;
    std::vector<Value> out;
    out.reserve(a.data.size());
    std::vector<int32_t> index(a.counts.size(), 0);
    for (size_t n = 0; n < a.data.size(); ++n) {
        size_t offset = 0;
        for (size_t d = 0; d < index.size(); ++d)
            offset = offset * static_cast<size_t>(a.counts[d]) + static_cast<size_t>(index[d]);
        out.push_back(a.data[offset]);
        for (size_t d = 0; d < index.size() && ++index[d] == a.counts[d]; ++d)
            index[d] = 0;
    }
    return out;
}
} // namespace

Flow ForEachStmt::exec(Frame& f) {
    std::vector<Value> items;
    try {
        Value c = collection->eval(f);
        if (c.isArray()) {
            items = elementsInWalkOrder(c.arr());
        } else if (c.isObject() && c.obj()) {
            auto keep = c.objShared();
            if (!keep->enumerate(items)) throw RuntimeError(err::NotACollection);
        } else {
            throw RuntimeError(c.isObject() ? err::ObjectNotSet : err::NotACollection);
        }
    } catch (const RuntimeError& e) {
        // As with If: under On Error Resume Next a failing header goes on into the body, once.
        if (!f.resumeNext) throw;
        f.eng.setErr(e.number(), scriptDescription(e), "");
        Flow fl = execBlock(body, f);
        return fl == Flow::ExitFor ? Flow::Normal : fl;
    }
    for (auto& item : items) {
        Value* v = var->slot(f);
        if (!v) throw RuntimeError(err::VariableUndefined);
        *v = std::move(item);
        Flow fl = execBody(body, f);
        if (fl == Flow::ExitFor) break;
        if (fl != Flow::Normal) return fl;
        f.eng.tick();
    }
    return Flow::Normal;
}

// The loop condition; under On Error Resume Next a failing one counts as met (the body runs), as
// the language does for If.
static bool loopTest(Expr& cond, bool until, Frame& f) {
    try {
        return truth(cond.kind == ExprKind::Binary ? nestedValue(cond, f) : cond.eval(f)) != until;
    } catch (const RuntimeError& e) {
        if (!f.resumeNext) throw;
        f.eng.setErr(e.number(), scriptDescription(e), "");
        return true;
    }
}

Flow DoStmt::exec(Frame& f) {
    for (;;) {
        if (cond && !condAtEnd && !loopTest(*cond, until, f)) break;
        Flow fl = execBody(body, f);
        if (fl == Flow::ExitDo) break;
        if (fl != Flow::Normal) return fl;
        if (cond && condAtEnd && !loopTest(*cond, until, f)) break;
        f.eng.tick();
    }
    return Flow::Normal;
}

Flow SelectStmt::exec(Frame& f) {
    Value subj = subject->kind == ExprKind::Binary ? nestedValue(*subject, f) : subject->eval(f);
    bool intSubject = isIntOrLong(subj.type());
    if (intSubject && onlyIntegerCases) {
        const int64_t key = subj.rawInt();
        for (const auto& [value, index] : integerCases)
            if (value == key) return execBody(cases[index].second, f);
        return execBody(elseBlock, f);
    }
    for (auto& [items, body] : cases) {
        for (auto& item : items) {
            if (item.kind == CaseItem::Equal && intSubject && item.a->kind == ExprKind::Literal) {
                // Case <integer literal>, the common dispatch case: no call, no general comparison.
                const Value& a = static_cast<LiteralExpr&>(*item.a).value;
                if (isIntOrLong(a.type())) {
                    if (subj.rawInt() == a.rawInt()) return execBody(body, f);
                    continue;
                }
            }
            Value tmp;
            const Value& a = item.a->ref(f, tmp);
            bool hit;
            if (item.kind == CaseItem::Equal) {
                // Integer against integer, the common dispatch case, without the general comparison.
                hit = intSubject && isIntOrLong(a.type()) ? subj.rawInt() == a.rawInt() : compareValues(subj, a) == 0;
            } else if (item.kind == CaseItem::Range) {
                Value b = item.b->eval(f);
                int lo = compareValues(subj, a), hi = compareValues(subj, b);
                hit = lo != 2 && hi != 2 && lo >= 0 && hi <= 0;
            } else {
                Value r = binaryOp(item.op, subj, a);
                hit = !r.isNull() && truth(r);
            }
            if (hit) return execBody(body, f);
        }
    }
    return execBody(elseBlock, f);
}

Flow WithStmt::exec(Frame& f) {
    try {
        Value o = object->eval(f);
        if (!o.isObject()) throw RuntimeError(err::ObjectRequired);
        varSlot(f, slot) = std::move(o);
    } catch (const RuntimeError& e) {
        // Under On Error Resume Next the body still runs; its members then fail one by one.
        if (!f.resumeNext) throw;
        f.eng.setErr(e.number(), scriptDescription(e), "");
    }
    struct Clear {
        Frame& f;
        VarRef s;
        ~Clear() { varSlot(f, s) = Value(); }
    } clear{f, slot};
    return execBlock(body, f);
}

Flow OnErrorStmt::exec(Frame& f) {
    f.resumeNext = resumeNext;
    f.eng.err.clear();
    return Flow::Normal;
}

Flow RandomizeStmt::exec(Frame& f) {
    if (!builtin) return Flow::Normal;
    Value arg;
    size_t n = 0;
    if (seed) arg = seed->eval(f), n = 1;
    CallContext ctx(f.eng.host, f.eng, &f);
    builtin->fn(ctx, std::span<Value>(&arg, n));
    return Flow::Normal;
}

} // namespace tvk::script
