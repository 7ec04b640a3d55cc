// The language's own builtins: type inspection, arrays, Err, Eval/Execute/GetRef, MsgBox/InputBox
// and CreateObject. The library families (string, math, dates, ...) live in lib/.
#include "script/Builtins.h"
#include "script/Coerce.h"
#include "script/Engine.h"
#include "script/ScriptError.h"

namespace tvk::script {

namespace {

Engine& engineOf(CallContext& ctx) {
    return ctx.engine();
}

Frame& frameOf(CallContext& ctx) {
    if (!ctx.frame()) throw RuntimeError(err::InvalidCall);
    return *ctx.frame();
}

// Standard text of a number a script raises; the engine's own time-out number is an ordinary
// application number to a script.
std::string raisedDescription(int number) {
    return std::string(number == err::ScriptTimeout ? err::GenericText : err::describe(number, err::Wording::Script));
}

// The Err object: the last error seen under On Error Resume Next, and Raise.
class ErrObject final : public ScriptObject {
public:
    explicit ErrObject(std::weak_ptr<Engine> e) : m_engine(std::move(e)) {}
    std::string typeName() const override { return "ErrObject"; }
    int memberId(std::u16string_view name) const override {
        if (equalsNoCase(name, std::string_view("Number"))) return DefaultMember;
        return names().find(name);
    }
    Value invoke(int id, std::span<Value> args) override {
        ErrState& err = engine().err;
        switch (id) {
        case DefaultMember:
            expectArgs(args, 0, 0);
            return Value::lng(err.number);
        case 1:
            expectArgs(args, 0, 0);
            return Value::string(err.description);
        case 2:
            expectArgs(args, 0, 0);
            return Value::string(err.source);
        case 3: { // Raise number, [source], [description]
            expectArgs(args, 1, 5);
            // Any number but 0 may be raised (negative ones are application codes: vbObjectError + n).
            const int number = errorNumberOfResult(toLong(args[0]));
            if (number == 0) throw RuntimeError(err::InvalidCall);
            // Source and description not given keep what Err still holds; after Clear they are
            // the standard ones.
            std::string description = args.size() > 2 && !args[2].isEmpty() ? toUtf8(args[2])
                                      : !err.description.empty()            ? err.description
                                                                            : raisedDescription(number);
            engine().pendingSource = args.size() > 1 && !args[1].isEmpty() ? toUtf8(args[1])
                                     : !err.source.empty()                 ? err.source
                                                                           : RuntimeErrorSource;
            throw RuntimeError(number, description);
        }
        case 4:
            expectArgs(args, 0, 0);
            err.clear();
            return Value();
        case 5:
            return Value::string(std::u16string());
        case 6:
            return Value::lng(0);
        default:
            throw RuntimeError(err::NoSuchMember);
        }
    }
    void assign(int id, std::span<Value> args, const Value& v, bool) override {
        expectArgs(args, 0, 0);
        ErrState& err = engine().err;
        if (id == DefaultMember)
            err.number = toLong(v);
        else if (id == 1)
            err.description = toUtf8(v);
        else if (id == 2)
            err.source = toUtf8(v);
        else
            throw RuntimeError(err::NoSuchMember);
    }

private:
    static const MemberNames& names() {
        static const MemberNames n{"Description", "Source", "Raise", "Clear", "HelpFile", "HelpContext"};
        return n;
    }
    Engine& engine() {
        auto e = m_engine.lock();
        if (!e) throw RuntimeError(err::ObjectRequired);
        return *e;
    }
    std::weak_ptr<Engine> m_engine;
};

// GetRef's result: calling its default member calls the procedure.
class ProcRef final : public ScriptObject {
public:
    ProcRef(const ProcDef& p, std::weak_ptr<Engine> e) : m_proc(p), m_engine(std::move(e)) {}
    std::string typeName() const override { return "Object"; }
    int memberId(std::u16string_view) const override { return NoMember; }
    Value invoke(int id, std::span<Value> args) override {
        if (id != DefaultMember) throw RuntimeError(err::NoSuchMember);
        auto e = m_engine.lock();
        if (!e) throw RuntimeError(err::ObjectRequired);
        return e->callProc(m_proc, nullptr, args);
    }

private:
    const ProcDef& m_proc;
    std::weak_ptr<Engine> m_engine;
};

Value isEmptyFn(CallContext&, std::span<Value> a) {
    return Value::boolean(a[0].isEmpty());
}
Value isNullFn(CallContext&, std::span<Value> a) {
    return Value::boolean(a[0].isNull());
}
Value isArrayFn(CallContext&, std::span<Value> a) {
    return Value::boolean(a[0].isArray());
}
Value isObjectFn(CallContext&, std::span<Value> a) {
    return Value::boolean(a[0].isObject());
}

Value isNumericFn(CallContext&, std::span<Value> a) {
    const Value& v = a[0];
    switch (v.type()) {
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
        return Value::boolean(true);
    case VarType::String: {
        double d;
        return Value::boolean(parseNumber(v.str(), d));
    }
    default:
        return Value::boolean(false);
    }
}

// An object with a default member that gives a plain value without arguments reports that value's
// type; any other object (no default member, one that needs arguments or fails, Nothing) is 9.
Value varTypeFn(CallContext&, std::span<Value> a) {
    if (a[0].isObject() && !a[0].isNothing()) {
        if (std::shared_ptr<ScriptObject> o = a[0].objShared()) {
            try {
                Value r = o->invoke(ScriptObject::DefaultMember, {});
                if (!r.isObject()) return Value::integer(static_cast<int16_t>(r.varType()));
            } catch (const RuntimeError&) {
            }
        }
    }
    return Value::integer(static_cast<int16_t>(a[0].varType()));
}
Value typeNameFn(CallContext&, std::span<Value> a) {
    return Value::string(typeName(a[0]));
}

Value boundFn(std::span<Value> a, bool upper) {
    if (a[0].isNothing()) throw RuntimeError(err::ObjectNotSet);
    if (!a[0].isArray()) throw RuntimeError(err::TypeMismatch);
    const ArrayRep& rep = a[0].arr();
    int32_t dim = a.size() > 1 ? toLong(a[1]) : 1;
    if (dim < 1 || static_cast<size_t>(dim) > rep.counts.size()) throw RuntimeError(err::SubscriptOutOfRange);
    return Value::lng(upper ? rep.counts[static_cast<size_t>(dim - 1)] - 1 : 0);
}
Value uboundFn(CallContext&, std::span<Value> a) {
    return boundFn(a, true);
}
Value lboundFn(CallContext&, std::span<Value> a) {
    return boundFn(a, false);
}

Value arrayFn(CallContext&, std::span<Value> a) {
    return Value::arrayOf(std::vector<Value>(a.begin(), a.end()));
}

Value errFn(CallContext& ctx, std::span<Value>) {
    Engine& e = engineOf(ctx);
    if (!e.errObject) e.errObject = std::make_shared<ErrObject>(e.weak_from_this());
    return Value::object(e.errObject);
}

Value msgBoxFn(CallContext& ctx, std::span<Value> a) {
    std::string prompt = toUtf8(a[0]);
    int buttons = a.size() > 1 && !a[1].isEmpty() ? toLong(a[1]) : 0;
    std::string title = a.size() > 2 && !a[2].isEmpty() ? toUtf8(a[2]) : std::string();
    int r = ctx.host().msgBox ? ctx.host().msgBox(prompt, buttons, title) : 1;
    return Value::integer(static_cast<int16_t>(r));
}

Value inputBoxFn(CallContext& ctx, std::span<Value> a) {
    std::string prompt = toUtf8(a[0]);
    std::string title = a.size() > 1 && !a[1].isEmpty() ? toUtf8(a[1]) : std::string();
    std::string def = a.size() > 2 && !a[2].isEmpty() ? toUtf8(a[2]) : std::string();
    if (!ctx.host().inputBox) return Value::string(def);
    auto [text, ok] = ctx.host().inputBox(prompt, title, def);
    return ok ? Value::string(text) : Value::string(std::u16string());
}

Value evalFn(CallContext& ctx, std::span<Value> a) {
    return engineOf(ctx).evalExpression(toString(a[0]), frameOf(ctx));
}

// The code Execute and ExecuteGlobal run: text only (Execute 42 is a type mismatch).
std::u16string codeText(const Value& v) {
    const Value text = v.isObject() ? defaultValue(v) : v;
    if (!text.isString() && !text.isEmpty()) throw RuntimeError(err::TypeMismatch);
    return toString(text);
}

Value executeFn(CallContext& ctx, std::span<Value> a) {
    engineOf(ctx).runCode(codeText(a[0]), &frameOf(ctx), false);
    return Value();
}

Value executeGlobalFn(CallContext& ctx, std::span<Value> a) {
    engineOf(ctx).runCode(codeText(a[0]), nullptr, true, frameOf(ctx).code);
    return Value();
}

Value getRefFn(CallContext& ctx, std::span<Value> a) {
    Engine& e = engineOf(ctx);
    GlobalEntry* g = e.findGlobal(lowerAscii(toString(a[0])));
    if (!g || g->kind != GlobalEntry::Procedure) throw RuntimeError(err::InvalidCall);
    return Value::object(std::make_shared<ProcRef>(*g->proc, e.weak_from_this()));
}

Value createObjectFn(CallContext& ctx, std::span<Value> a) {
    std::u16string progId = toString(a[0]);
    ObjectFactory factory = engineOf(ctx).builtins.progIdFactory(progId);
    if (!factory)
        throw RuntimeError(err::CannotCreateObject,
                           "ActiveX component can't create object: '" + utf16ToUtf8(progId) + "'");
    return engineOf(ctx).adoptCreated(factory(ctx));
}

} // namespace

void registerCoreBuiltins(BuiltinTable& t) {
    t.add("IsEmpty", isEmptyFn, 1, 1);
    t.add("IsNull", isNullFn, 1, 1);
    t.add("IsArray", isArrayFn, 1, 1);
    t.add("IsObject", isObjectFn, 1, 1);
    t.add("IsNumeric", isNumericFn, 1, 1);
    t.add("VarType", varTypeFn, 1, 1);
    t.add("TypeName", typeNameFn, 1, 1);
    t.add("UBound", uboundFn, 1, 2);
    t.add("LBound", lboundFn, 1, 2);
    t.add("Array", arrayFn, 0, BuiltinTable::Variadic);
    t.add("Err", errFn, 0, 0);
    t.add("MsgBox", msgBoxFn, 1, 5);
    t.add("InputBox", inputBoxFn, 1, 7);
    t.add("Eval", evalFn, 1, 1);
    t.add("Execute", executeFn, 1, 1);
    t.add("ExecuteGlobal", executeGlobalFn, 1, 1);
    t.add("GetRef", getRefFn, 1, 1);
    t.add("CreateObject", createObjectFn, 1, 2);
    // Constants the language core itself relies on.
    t.addConstant("vbEmpty", Value::integer(0));
    t.addConstant("vbNull", Value::integer(1));
    t.addConstant("vbInteger", Value::integer(2));
    t.addConstant("vbLong", Value::integer(3));
    t.addConstant("vbSingle", Value::integer(4));
    t.addConstant("vbDouble", Value::integer(5));
    t.addConstant("vbCurrency", Value::integer(6));
    t.addConstant("vbDate", Value::integer(7));
    t.addConstant("vbString", Value::integer(8));
    t.addConstant("vbObject", Value::integer(9));
    t.addConstant("vbError", Value::integer(10));
    t.addConstant("vbBoolean", Value::integer(11));
    t.addConstant("vbVariant", Value::integer(12));
    t.addConstant("vbByte", Value::integer(17));
    t.addConstant("vbArray", Value::integer(8192));
    t.addConstant("vbObjectError", Value::lng(static_cast<int32_t>(0x80040000u)));
    t.addConstant("vbDataObject", Value::integer(13));
    // MsgBox buttons, icons, default button and modality, and its results.
    const std::pair<const char*, int16_t> msgBox[] = {{"vbOKOnly", 0},
                                                      {"vbOKCancel", 1},
                                                      {"vbAbortRetryIgnore", 2},
                                                      {"vbYesNoCancel", 3},
                                                      {"vbYesNo", 4},
                                                      {"vbRetryCancel", 5},
                                                      {"vbCritical", 16},
                                                      {"vbQuestion", 32},
                                                      {"vbExclamation", 48},
                                                      {"vbInformation", 64},
                                                      {"vbDefaultButton1", 0},
                                                      {"vbDefaultButton2", 256},
                                                      {"vbDefaultButton3", 512},
                                                      {"vbDefaultButton4", 768},
                                                      {"vbApplicationModal", 0},
                                                      {"vbSystemModal", 4096},
                                                      {"vbOK", 1},
                                                      {"vbCancel", 2},
                                                      {"vbAbort", 3},
                                                      {"vbRetry", 4},
                                                      {"vbIgnore", 5},
                                                      {"vbYes", 6},
                                                      {"vbNo", 7}};
    for (const auto& [name, value] : msgBox)
        t.addConstant(name, Value::integer(value));
    const std::pair<const char*, int32_t> colours[] = {
        {"vbBlack", 0x000000}, {"vbRed", 0x0000FF},     {"vbGreen", 0x00FF00}, {"vbYellow", 0x00FFFF},
        {"vbBlue", 0xFF0000},  {"vbMagenta", 0xFF00FF}, {"vbCyan", 0xFFFF00},  {"vbWhite", 0xFFFFFF}};
    for (const auto& [name, value] : colours)
        t.addConstant(name, Value::lng(value));
}

} // namespace tvk::script
