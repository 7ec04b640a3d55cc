#include "script/Engine.h"

#include "script/Coerce.h"
#include "script/Compiler.h"
#include "script/CycleCollector.h"
#include "script/MemoryMeter.h"
#include "script/Parser.h"
#include "script/ScriptError.h"

#include <algorithm>
#include <unordered_set>

namespace tvk::script {

namespace {
constexpr uintptr_t MaxNativeStack = 3u << 20; // bytes of native stack a script may use
// Below this much counted memory no cycle collection runs on its own.
constexpr size_t MinCollectAt = size_t{16} << 20;

// Current native stack position, to bound how deep script recursion may go.
[[gnu::noinline]] uintptr_t stackAddress() {
    return reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
}
} // namespace

std::unordered_map<std::type_index, std::shared_ptr<void>>& CallContext::states() {
    return m_engine.m_familyStates;
}

void CallContext::checkTime() const {
    m_engine.checkBudget();
}

std::function<void()> CallContext::timeCheck() const {
    return [engine = m_engine.weak_from_this()] {
        if (auto e = engine.lock(); e && e->running) e->checkBudget();
    };
}

int ClassDef::memberIndex(std::u16string_view name) const {
    for (size_t i = 0; i < members.size(); ++i)
        if (equalsNoCase(members[i].name, name)) return static_cast<int>(i) + 1;
    return -1;
}

// ---- Value stack ----

Value* ValueStack::push(size_t n, Mark& saved) {
    saved = {m_chunk, m_used};
    if (m_chunks.empty() || m_used + n > m_sizes[m_chunk]) {
        size_t next = m_chunks.empty() ? 0 : m_chunk + 1;
        if (next < m_chunks.size() && m_sizes[next] < n) {
            m_chunks.resize(next);
            m_sizes.resize(next);
        }
        if (next >= m_chunks.size()) {
            // Chunks grow from small to ChunkSize, so a short script does not pay for a deep one.
            size_t size = next == 0 ? FirstChunkSize : std::min(ChunkSize, m_sizes[next - 1] * 4);
            size = std::max(size, n);
            m_chunks.push_back(std::make_unique<Value[]>(size));
            m_sizes.push_back(size);
        }
        m_chunk = next;
        m_used = 0;
    }
    Value* base = m_chunks[m_chunk].get() + m_used;
    m_used += n;
    return base;
}

void ValueStack::pop(Value* base, size_t n, const Mark& saved) {
    for (size_t i = 0; i < n; ++i)
        base[i].clear();
    m_chunk = saved.chunk;
    m_used = saved.used;
}

// ---- Engine ----

Engine::Engine(const ScriptHost& h) : host(h) {}

Engine::~Engine() {
    // Break reference cycles between script objects: move every field and global out first, so
    // that no object is destroyed while another is being emptied, then drop them all.
    m_tearingDown = true;
    std::vector<Value> doomed;
    for (auto& g : globals)
        doomed.push_back(std::move(g));
    for (ClassInstance* inst : m_liveInstances)
        for (auto& f : inst->fields)
            doomed.push_back(std::move(f));
    m_liveInstances.clear();
    std::vector<std::shared_ptr<ScriptObject>> held;
    for (auto& weak : m_createdObjects)
        if (auto o = weak.lock()) held.push_back(std::move(o));
    for (auto& o : held)
        o->releaseReferences(doomed);
    held.clear();
    doomed.clear();
}

Value Engine::adoptCreated(std::shared_ptr<ScriptObject> object) {
    // Forget objects that are gone whenever the list has doubled, so it stays within twice the live
    // ones at a constant cost per object.
    if (m_createdObjects.size() >= m_createdSweepAt) {
        std::erase_if(m_createdObjects, [](const std::weak_ptr<ScriptObject>& w) { return w.expired(); });
        m_createdSweepAt = std::max<size_t>(64, m_createdObjects.size() * 2);
    }
    m_createdObjects.push_back(object);
    return Value::object(std::move(object));
}

GlobalEntry* Engine::findGlobal(std::u16string_view lowerName) {
    auto it = globalNames.find(std::u16string(lowerName));
    return it == globalNames.end() ? nullptr : &it->second;
}

int Engine::addGlobalVariable(std::u16string_view name) {
    std::u16string lower = lowerAscii(name);
    if (GlobalEntry* g = findGlobal(lower)) {
        if (g->slot >= 0) return g->slot;
    }
    globals.emplace_back();
    GlobalEntry e;
    e.kind = GlobalEntry::Variable;
    e.slot = static_cast<int>(globals.size()) - 1;
    globalNames[lower] = e;
    return e.slot;
}

void Engine::releaseGlobalVariables() {
    std::vector<bool> writable(globals.size(), false);
    for (const auto& [name, entry] : globalNames)
        if (entry.kind == GlobalEntry::Variable && !entry.readOnly && entry.slot >= 0 &&
            static_cast<size_t>(entry.slot) < writable.size())
            writable[static_cast<size_t>(entry.slot)] = true;
    // By index: a Class_Terminate may declare globals, which moves the vector.
    for (size_t i = 0; i < writable.size(); ++i) {
        if (!writable[i]) continue;
        Value old = std::move(globals[i]); // leaves the variable Empty before the object goes
    }
}

void Engine::addObject(std::u16string_view name, Value object) {
    int slot = addGlobalVariable(name);
    GlobalEntry* g = findGlobal(lowerAscii(name));
    g->kind = GlobalEntry::Variable;
    g->readOnly = true;
    globals[static_cast<size_t>(slot)] = std::move(object);
}

void Engine::startBudget() {
    m_deadline = budget.count() > 0 ? std::chrono::steady_clock::now() + budget
                                    : std::chrono::steady_clock::time_point::max(); // no limit
    m_ticks = TicksPerClockRead;
    m_depth = 0;
    pendingSource.clear(); // a raise that reached the host last time
    m_stackBase = stackAddress();
}

void Engine::collectCycles() {
    // Class_Terminate of what is collected runs script code, whose ticks must not start another
    // collection meanwhile.
    m_collectAt = SIZE_MAX;
    try {
        CycleCollector::collect(*this);
    } catch (...) {
        m_collectAt = std::max(MemoryMeter::held() * 2, MinCollectAt);
        throw;
    }
    m_collectAt = std::max(MemoryMeter::held() * 2, MinCollectAt);
}

void Engine::checkBudget() {
    m_ticks = TicksPerClockRead;
    if (MemoryMeter::held() > m_collectAt) collectCycles();
    if (std::chrono::steady_clock::now() > m_deadline) throw ScriptAbort{err::ScriptTimeout, 0};
}

void Engine::setErr(int number, const std::string& description, const std::string& source) {
    err.number = number;
    err.description = description;
    err.source = !pendingSource.empty() ? pendingSource : !source.empty() ? source : RuntimeErrorSource;
    pendingSource.clear();
}

void Engine::compileOnly(std::u16string_view source) {
    bool explicitFlag = false;
    Parser parser(source);
    m_units.push_back(parser.parseProgram(explicitFlag));
    Compiler(*this, explicitFlag, nullptr).compileUnit(*m_units.back());
}

void Engine::runCode(std::u16string_view source, Frame* scope, bool globalScope, int code) {
    if (code < 0) code = scope ? scope->code : 0;
    if (m_stackBase == 0) m_stackBase = stackAddress();
    checkStack(); // Execute may run Execute: bounded like calls
    CodeUnit* unit = nullptr;
    bool explicitFlag = m_optionExplicit;
    try {
        Parser parser(source);
        if (!globalScope && scope && scope->self) parser.allowMe();
        auto owned = parser.parseProgram(explicitFlag);
        // The unit is kept before compiling: the global names it declares point into it.
        unit = owned.get();
        m_units.push_back(std::move(owned));
        // The call's own variables exist before compiling: Dim in the code declares them there.
        if (!globalScope && scope && scope->proc && !scope->extra)
            scope->extra = std::make_shared<std::unordered_map<std::u16string, Value>>();
        Compiler compiler(*this, explicitFlag, globalScope ? nullptr : scope);
        compiler.compileUnit(*unit);
    } catch (ScriptError& e) {
        if (e.codeIndex() < 0) e.setCodeIndex(code);
        throw;
    }
    for (auto& proc : unit->procs)
        proc->code = code;
    for (auto& cls : unit->classes)
        for (auto& proc : cls->procs)
            proc->code = code;
    if (globalScope || !scope) {
        Frame frame{*this, nullptr, nullptr, nullptr};
        frame.code = code;
        execBlock(unit->body, frame);
    } else {
        Frame frame{*this, scope->locals, scope->self, scope->proc};
        frame.code = code;
        frame.refs = scope->refs;
        frame.extra = scope->extra;
        execBlock(unit->body, frame);
    }
    // Statement-only code (Execute in a loop) is not kept: nothing refers to it any more.
    if (unit->procs.empty() && unit->classes.empty() && !m_units.empty() && m_units.back().get() == unit)
        m_units.pop_back();
}

Value Engine::evalExpression(std::u16string_view source, Frame& frame) {
    checkStack();
    Parser parser(source);
    if (frame.self) parser.allowMe();
    ExprPtr e;
    try {
        e = parser.parseOnlyExpression();
    } catch (const ScriptError& error) {
        // An expression that stops short ("1 + ") is a plain syntax error to Eval.
        if (error.number() != err::ExpectedExpression) throw;
        throw ScriptError(err::SyntaxError, error.line(), error.column(), true);
    }
    Compiler compiler(*this, m_optionExplicit, frame.proc ? &frame : nullptr);
    compiler.compileExpression(e);
    if (!frame.proc) return e->eval(frame);
    if (!frame.extra) frame.extra = std::make_shared<std::unordered_map<std::u16string, Value>>();
    return e->eval(frame);
}

void Engine::checkStack() const {
    uintptr_t here = stackAddress();
    uintptr_t used = here < m_stackBase ? m_stackBase - here : here - m_stackBase;
    if (m_depth >= callDepthLimit || used > MaxNativeStack) throw RuntimeError(err::OutOfStackSpace);
}

Value Engine::runProc(const ProcDef& proc, ClassInstance* self, Value* locals, Value* const* refs, bool selfHeld) {
    // The native stack is measured every eighth level: a level uses a bounded amount of it (the
    // parser bounds expressions and blocks), far below the room left past the limit.
    if ((m_depth & 7) == 0) {
        if (m_depth == 0 && m_stackBase == 0) m_stackBase = stackAddress();
        checkStack();
    } else if (m_depth >= callDepthLimit) {
        throw RuntimeError(err::OutOfStackSpace);
    }
    tick();
    // Keep Me alive for the whole call, even if the script drops its last reference meanwhile.
    std::shared_ptr<ClassInstance> keep = self && !selfHeld ? self->weak_from_this().lock() : nullptr;
    struct Depth {
        int& d;
        explicit Depth(int& x) : d(x) { ++d; }
        ~Depth() { --d; }
    } guard(m_depth);
    Frame frame{*this, locals, self, &proc};
    frame.code = proc.code;
    frame.refs = refs;
    execBody(proc.body, frame);
    return std::move(locals[0]);
}

namespace {
struct StackFrameGuard {
    ValueStack& stack;
    Value* base;
    size_t n;
    ValueStack::Mark mark;
    StackFrameGuard(ValueStack& s, size_t count) : stack(s), n(count) { base = s.push(count, mark); }
    ~StackFrameGuard() { stack.pop(base, n, mark); }
};

// Parameter references of a call; small lists stay on the native stack.
struct ParamRefs {
    static constexpr size_t Inline = 8;
    Value* inlineRefs[Inline]; // the call fills each entry before the callee runs
    std::unique_ptr<Value*[]> heap;
    Value** refs = inlineRefs;
    explicit ParamRefs(size_t n) {
        if (n > Inline) {
            heap = std::make_unique<Value*[]>(n);
            refs = heap.get();
        }
    }
};
} // namespace

Value Engine::callProc(const ProcDef& proc, ClassInstance* self, std::span<Value> args) {
    if (args.size() != proc.params.size()) throw RuntimeError(err::WrongArgumentCount);
    StackFrameGuard g(m_stack, static_cast<size_t>(proc.localCount));
    ParamRefs refs(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
        g.base[i + 1] = args[i];
        refs.refs[i] = &g.base[i + 1];
    }
    Value r = runProc(proc, self, g.base, refs.refs, false);
    for (size_t i = 0; i < args.size(); ++i)
        if (proc.params[i].byRef) args[i] = std::move(g.base[i + 1]);
    return r;
}

// Flattened: the frame's push and pop and runProc's guards are inlined into the call path. Not under
// the address sanitizer: its redzones would make the flattened frame so large that the native stack
// limit cuts ordinary recursion short.
#if defined(__SANITIZE_ADDRESS__)
#define TVK_CALL_PATH
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TVK_CALL_PATH
#endif
#endif
#ifndef TVK_CALL_PATH
#define TVK_CALL_PATH [[gnu::flatten]]
#endif
TVK_CALL_PATH Value Engine::callProc(const ProcDef& proc, ClassInstance* self, ExprList& args, Frame& caller) {
    if (args.size() != proc.params.size()) throw RuntimeError(err::WrongArgumentCount);
    StackFrameGuard g(m_stack, static_cast<size_t>(proc.localCount));
    // A variable passed ByRef is used in place: the callee's assignments reach it at once, through
    // any name. Other arguments live in the parameter's own slot.
    ParamRefs refs(args.size());
    // Array elements passed ByRef are copied in and written back after the call: the callee may
    // resize the array, so a reference into it could dangle.
    struct ElementRef {
        size_t param;
        Value* array;
        Value index;
    };
    std::unique_ptr<std::vector<ElementRef>> elements; // made for the first such argument
    for (size_t i = 0; i < args.size(); ++i) {
        Expr* a = args[i].get();
        if (!a) throw RuntimeError(err::WrongArgumentCount);
        refs.refs[i] = &g.base[i + 1];
        if (a->kind == ExprKind::Literal) {
            g.base[i + 1] = static_cast<LiteralExpr*>(a)->value;
            continue;
        }
        if (proc.params[i].byRef) {
            if (a->kind == ExprKind::Var) {
                // A plain variable, without the virtual slot().
                refs.refs[i] = &variableSlot(caller, static_cast<VarExpr*>(a)->var);
                continue;
            }
            if (Value* s = a->slot(caller)) {
                refs.refs[i] = s;
                continue;
            }
            if (a->kind == ExprKind::IndexVar) {
                auto* iv = static_cast<IndexVarExpr*>(a);
                Value* var = iv->var.kind == VarRef::Field && !caller.self ? nullptr : &variableSlot(caller, iv->var);
                if (var && var->isArray() && iv->args.size() == 1 && iv->args[0]) {
                    Value index = iv->args[0]->eval(caller);
                    g.base[i + 1] = indexValue(*var, std::span<Value>(&index, 1));
                    if (!elements) elements = std::make_unique<std::vector<ElementRef>>();
                    elements->push_back({i, var, std::move(index)});
                    continue;
                }
            }
        }
        g.base[i + 1] = a->eval(caller);
    }
    // Me is held by the caller: the member site's value, or the running frame of a method of Me.
    Value r = runProc(proc, self, g.base, refs.refs, true);
    if (!elements) return r;
    for (auto& e : *elements) {
        // The callee may have resized or replaced the array: write back only where the element still is.
        if (!e.array->isArray()) continue;
        ArrayRep& rep = e.array->arr();
        if (rep.counts.size() != 1) continue;
        int32_t idx = toLong(e.index);
        if (idx < 0 || idx >= rep.counts[0]) continue;
        e.array->mutableArray().data[static_cast<size_t>(idx)] = std::move(g.base[e.param + 1]);
    }
    return r;
}

Value Engine::newInstance(ClassDef& cls) {
    auto inst = std::make_shared<ClassInstance>(cls, weak_from_this());
    inst->liveIndex = m_liveInstances.size();
    m_liveInstances.push_back(inst.get());
    Value v = Value::object(inst);
    if (cls.initialize) callProc(*cls.initialize, inst.get(), std::span<Value>());
    return v;
}

// ---- Objects of script classes ----

namespace {
size_t chargeInstance(const ClassDef& cls) {
    size_t bytes = sizeof(ClassInstance) + cls.fields.size() * sizeof(Value) + 32; // 32: shared_ptr's block
    MemoryMeter::charge(bytes);
    return bytes;
}
} // namespace

ClassInstance::ClassInstance(ClassDef& cls, std::weak_ptr<Engine> engine)
    : m_cls(cls), m_engine(std::move(engine)), m_owner(m_engine.lock().get()), m_charged(chargeInstance(cls)) {
    // The meter is given back here if a field's array below fails: the destructor will not run.
    struct Undo {
        size_t bytes;
        bool armed = true;
        ~Undo() {
            if (armed) MemoryMeter::release(bytes);
        }
    } undo{m_charged};
    fields.resize(cls.fields.size());
    for (size_t i = 0; i < cls.fields.size(); ++i) {
        const FieldDef& f = cls.fields[i];
        if (!f.isArray) continue;
        std::vector<int32_t> counts;
        size_t total = 1;
        for (int32_t ub : f.dims) {
            int64_t count = int64_t{ub} + 1;
            if (count < 0) throw RuntimeError(err::SubscriptOutOfRange);
            total *= static_cast<size_t>(count);
            if (count > MaxArrayElements || total > static_cast<size_t>(MaxArrayElements))
                throw RuntimeError(err::OutOfMemory);
            counts.push_back(static_cast<int32_t>(count));
        }
        fields[i] = Value::array(counts);
        fields[i].setFixedArray(!f.dims.empty());
    }
    undo.armed = false;
}

void ClassInstance::releaseReferences(std::vector<Value>& out) {
    for (Value& f : fields)
        out.push_back(std::move(f));
}

void ClassInstance::references(std::vector<const Value*>& out) const {
    for (const Value& f : fields)
        out.push_back(&f);
}

ClassInstance::~ClassInstance() {
    MemoryMeter::release(m_charged);
    std::shared_ptr<Engine> eng = m_engine.lock();
    if (!eng || eng->m_tearingDown) return;
    // Constant time whatever the number of live objects: this one's place takes the last one.
    auto& live = eng->m_liveInstances;
    if (liveIndex < live.size() && live[liveIndex] == this) {
        live[liveIndex] = live.back();
        live[liveIndex]->liveIndex = liveIndex;
        live.pop_back();
    }
    if (m_cls.terminate) {
        // Class_Terminate runs as the object goes away; its errors cannot reach anyone.
        try {
            eng->callProc(*m_cls.terminate, this, std::span<Value>());
        } catch (...) {
        }
    }
}

std::string ClassInstance::typeName() const {
    return utf16ToUtf8(m_cls.name);
}

int ClassInstance::memberId(std::u16string_view name) const {
    int id = m_cls.memberIndex(name);
    if (id < 0 || !m_cls.members[static_cast<size_t>(id - 1)].isPublic) return NoMember;
    return id;
}

Value ClassInstance::invoke(int id, std::span<Value> args) {
    return invokeMember(id, args, false);
}

void ClassInstance::assign(int id, std::span<Value> args, const Value& value, bool isSet) {
    assignMember(id, args, value, isSet, false);
}

const MemberDef& ClassInstance::member(int id, bool fromInside) const {
    if (id == DefaultMember) {
        if (m_cls.defaultMember < 0) throw RuntimeError(err::NoSuchMember);
        id = m_cls.defaultMember;
    }
    if (id < 1 || id > static_cast<int>(m_cls.members.size())) throw RuntimeError(err::NoSuchMember);
    const MemberDef& m = m_cls.members[static_cast<size_t>(id - 1)];
    if (!m.isPublic && !fromInside) throw RuntimeError(err::NoSuchMember);
    return m;
}

Value ClassInstance::invokeMember(int id, std::span<Value> args, bool fromInside) {
    if (m_engine.expired()) throw RuntimeError(err::ObjectRequired);
    const MemberDef& m = member(id, fromInside);
    if (m.field >= 0) {
        // A field runs no script code: the engine need not be held.
        Value& f = fields[static_cast<size_t>(m.field)];
        if (args.empty()) return f;
        return indexValue(f, args);
    }
    std::shared_ptr<Engine> alive = m_engine.lock(); // held for the whole call
    if (!alive) throw RuntimeError(err::ObjectRequired);
    if (m.method) return alive->callProc(*m.method, this, args);
    if (m.get) return alive->callProc(*m.get, this, args);
    throw RuntimeError(err::NoSuchMember);
}

void ClassInstance::assignMember(int id, std::span<Value> args, const Value& value, bool isSet, bool fromInside) {
    if (m_engine.expired()) throw RuntimeError(err::ObjectRequired);
    const MemberDef& m = member(id, fromInside);
    if (isSet && !value.isObject()) throw RuntimeError(err::ObjectRequired);
    if (m.field >= 0 && args.empty() && !value.isObject()) {
        // A plain value into a field runs no code of this object: the engine need not be held.
        fields[static_cast<size_t>(m.field)] = value;
        return;
    }
    std::shared_ptr<Engine> alive = m_engine.lock(); // held for the whole call
    if (!alive) throw RuntimeError(err::ObjectRequired);
    if (m.field >= 0) {
        Value v = isSet ? value : defaultValue(value);
        Value& f = fields[static_cast<size_t>(m.field)];
        if (args.empty()) {
            f = std::move(v);
            return;
        }
        if (f.isArray()) {
            arrayElement(f.mutableArray(), args) = std::move(v);
            return;
        }
        if (f.isObject() && f.obj()) {
            auto keep = f.objShared();
            keep->assign(DefaultMember, args, v, isSet);
            return;
        }
        throw RuntimeError(err::TypeMismatch);
    }
    ProcDef* p = isSet ? (m.set ? m.set : nullptr) : (m.let ? m.let : nullptr);
    if (!p && !isSet && m.set && value.isObject()) p = m.set;
    if (!p) throw RuntimeError(isSet && m.let ? err::ObjectRequired : err::NoSuchMember);
    std::vector<Value> all(args.begin(), args.end());
    all.push_back(isSet || p == m.set ? value : defaultValue(value));
    alive->callProc(*p, this, all);
}

// ---- Arrays ----

Value& arrayElement(ArrayRep& a, std::span<const Value> indexes) {
    if (indexes.size() != a.counts.size() || a.counts.empty()) throw RuntimeError(err::SubscriptOutOfRange);
    size_t offset = 0;
    for (size_t d = 0; d < indexes.size(); ++d) {
        int32_t i = toLong(indexes[d]);
        if (i < 0 || i >= a.counts[d]) throw RuntimeError(err::SubscriptOutOfRange);
        offset = offset * static_cast<size_t>(a.counts[d]) + static_cast<size_t>(i);
    }
    if (offset >= a.data.size()) throw RuntimeError(err::SubscriptOutOfRange);
    return a.data[offset];
}

Value indexValue(const Value& target, std::span<Value> args) {
    if (target.isArray()) {
        Value keep = target; // the array may be replaced while the element is read
        return arrayElement(keep.arr(), args);
    }
    if (target.isObject()) {
        auto obj = target.objShared();
        if (!obj) throw RuntimeError(err::ObjectNotSet);
        return obj->invoke(ScriptObject::DefaultMember, args);
    }
    throw RuntimeError(err::TypeMismatch);
}

} // namespace tvk::script
