#pragma once

#include "events/RuntimeError.h"
#include "script/Ast.h"
#include "script/Builtins.h"
#include "script/ScriptHost.h"
#include "script/ScriptObject.h"

#include <chrono>
#include <deque>
#include <memory>
#include <typeindex>
#include <unordered_map>

namespace tvk::script {

class ClassInstance;

// Largest array a script may create (elements); beyond it ReDim and Dim raise error 7.
inline constexpr int64_t MaxArrayElements = int64_t{1} << 24;

// A global name: variable (or named object), constant, procedure or class.
struct GlobalEntry {
    enum Kind : uint8_t { Variable, Constant, Procedure, Class } kind = Variable;
    int slot = -1;
    ProcDef* proc = nullptr;
    ClassDef* cls = nullptr;
    bool readOnly = false; // named objects and constants
};

// Code compiled from one AddCode/ExecuteGlobal/Execute text; kept until Reset.
struct CodeUnit {
    std::vector<std::unique_ptr<ProcDef>> procs;
    std::vector<std::unique_ptr<ClassDef>> classes;
    Block body;
    int localCount = 0; // hidden temporaries when compiled inside a procedure
};

// Values of the running procedures, in fixed chunks so a frame's slots never move.
class ValueStack {
public:
    struct Mark {
        size_t chunk, used;
    };
    Value* push(size_t n, Mark& saved);
    void pop(Value* base, size_t n, const Mark& saved);

private:
    static constexpr size_t FirstChunkSize = 256, ChunkSize = 16384;
    std::vector<std::unique_ptr<Value[]>> m_chunks;
    std::vector<size_t> m_sizes;
    size_t m_chunk = 0, m_used = 0;
};

struct ErrState {
    int number = 0;
    std::string description, source;
    void clear() {
        number = 0;
        description.clear();
        source.clear();
    }
};

// Thrown to end a call at once (time budget, WScript.Quit); On Error does not catch it.
struct ScriptAbort {
    int number;
    int exitCode;
    int line = 0, col = 0; // the statement that was running, filled in on the way out
    int code = -1;         // and the AddCode text it belongs to
};

class Engine;

// One activation: its local slots, Me, the procedure and the On Error mode.
struct Frame {
    Frame(Engine& e, Value* l, ClassInstance* s, const ProcDef* p) : eng(e), locals(l), self(s), proc(p) {}
    Engine& eng;
    Value* locals;
    ClassInstance* self;
    const ProcDef* proc; // nullptr for global code
    bool resumeNext = false;
    // Per ByRef parameter, the variable it stands for: the caller's own variable, or the
    // parameter's local slot when the argument was no variable. Those slots never move during the call.
    Value* const* refs = nullptr;
    int code = 0; // the AddCode text the running statements come from (error reports)
    // Variables that code run by Execute created in this call (node-based: elements never move).
    std::shared_ptr<std::unordered_map<std::u16string, Value>> extra;
};

// The engine's whole state; owned by ScriptControl through a shared_ptr so that objects of script
// classes can tell whether their engine still exists.
class Engine : public std::enable_shared_from_this<Engine> {
public:
    explicit Engine(const ScriptHost& host);
    ~Engine();

    // ---- Code ----
    // Compiles text into a new unit at global scope (or in the scope of `frame` for Execute) and
    // runs its statements. Compile errors throw ScriptError.
    // `code` numbers the text for error reports; -1 takes the number of the code running `scope`.
    void runCode(std::u16string_view source, Frame* scope, bool globalScope, int code = -1);
    // Parses and compiles source into this engine without running any of it (a check of the text);
    // throws the first compile error.
    void compileOnly(std::u16string_view source);
    int addedCode = 0; // AddCode texts so far
    // Compiles and evaluates one expression in the scope of `frame` (Eval).
    Value evalExpression(std::u16string_view source, Frame& frame);

    // ---- Names ----
    GlobalEntry* findGlobal(std::u16string_view lowerName);
    int addGlobalVariable(std::u16string_view name); // existing slot when already declared
    void addObject(std::u16string_view name, Value object);
    // Empties each global variable in the order they were declared (not constants or named objects),
    // so objects that nothing else holds run Class_Terminate now, while the named objects still exist.
    void releaseGlobalVariables();

    // ---- Calls and objects ----
    // Calls a procedure with argument values (Run, GetRef, host invocations of class members).
    Value callProc(const ProcDef& proc, ClassInstance* self, std::span<Value> args);
    // Calls with argument expressions evaluated in `caller`; a variable passed ByRef is the parameter
    // itself (an array element is copied in and written back). The caller keeps `self` alive.
    Value callProc(const ProcDef& proc, ClassInstance* self, ExprList& args, Frame& caller);
    Value newInstance(ClassDef& cls);
    // Records a library object created by a script (New, CreateObject) and returns it as a value.
    Value adoptCreated(std::shared_ptr<ScriptObject> object);

    // ---- Limits ----
    // Budget and depth guard, called on loop back-edges and calls.
    void tick() {
        if (--m_ticks <= 0) checkBudget();
    }
    // Ends the call with the time-out once the budget is spent; collects cycles when memory doubled.
    void checkBudget();
    // Error 28 when calls nest too deep or the native stack runs low.
    void checkStack() const;
    void startBudget(); // begins a new call's budget
    // Frees unreachable cycles of objects now (also done by checkBudget once the memory the meter
    // counts has doubled since the last collection).
    void collectCycles();
    std::chrono::milliseconds budget{5000};
    static constexpr int MaxCallDepth = 3000;
    int callDepthLimit = MaxCallDepth; // procedure calls deeper than this raise 28 "Out of stack space"
    bool running = false;              // a call into the engine is in progress (set by ScriptControl)

    // ---- Errors ----
    // Error routing: records the error in Err when `frame` resumes next, else rethrows it.
    void setErr(int number, const std::string& description, const std::string& source);
    ErrState err;
    std::shared_ptr<ScriptObject> errObject; // created on first use of Err
    std::string pendingSource;               // Err.Raise's source, taken by the next setErr

    const ScriptHost& host;
    const BuiltinTable& builtins = BuiltinTable::standard();
    std::deque<Value> globals;                                   // slots of global variables
    std::unordered_map<std::u16string, GlobalEntry> globalNames; // lower-cased names

private:
    friend class CallContext;    // family states
    friend class ClassInstance;  // leaves liveInstances
    friend class CycleCollector; // walks the live objects

    // `selfHeld`: the caller keeps Me alive for the whole call, so no reference is taken here.
    Value runProc(const ProcDef& proc, ClassInstance* self, Value* locals, Value* const* refs, bool selfHeld);

    std::vector<std::unique_ptr<CodeUnit>> m_units;
    ValueStack m_stack;
    std::unordered_map<std::type_index, std::shared_ptr<void>> m_familyStates;
    std::vector<ClassInstance*> m_liveInstances;
    // Library objects the scripts created (New, CreateObject), emptied at teardown to break cycles.
    std::vector<std::weak_ptr<ScriptObject>> m_createdObjects;
    bool m_optionExplicit = false;
    bool m_tearingDown = false;
    int m_depth = 0;
    uintptr_t m_stackBase = 0; // native stack address at the outermost call
    std::chrono::steady_clock::time_point m_deadline;
    // Steps between two readings of the clock. A reading costs about as much as a few fast steps; reading
    // often keeps the overrun of the budget small where steps are slow (unoptimised and sanitizer builds).
    static constexpr int TicksPerClockRead = 256;
    int m_ticks = TicksPerClockRead;
    size_t m_createdSweepAt = 64;          // m_createdObjects' length that triggers the next sweep
    size_t m_collectAt = size_t{16} << 20; // meter reading that triggers the next cycle collection
};

// An object of a script class.
class ClassInstance final : public ScriptObject, public std::enable_shared_from_this<ClassInstance> {
public:
    ClassInstance(ClassDef& cls, std::weak_ptr<Engine> engine);
    ~ClassInstance() override;

    std::string typeName() const override;
    int memberId(std::u16string_view name) const override;
    Value invoke(int id, std::span<Value> args) override;
    void assign(int id, std::span<Value> args, const Value& value, bool isSet) override;
    const void* memberTable() const override { return &m_cls; }
    void releaseReferences(std::vector<Value>& out) override;
    void references(std::vector<const Value*>& out) const override;

    // Access from inside the class (private members allowed).
    Value invokeMember(int id, std::span<Value> args, bool fromInside);
    void assignMember(int id, std::span<Value> args, const Value& value, bool isSet, bool fromInside);

    ClassDef& cls() { return m_cls; }
    // The member an id names (the default member for DefaultMember); 438 when there is none or
    // it is private and the caller is outside the class.
    const MemberDef& member(int id, bool fromInside) const;
    bool ownedBy(const Engine* e) const { return m_owner == e && !m_engine.expired(); }
    std::vector<Value> fields;
    size_t liveIndex = 0; // position in the engine's liveInstances

private:
    ClassDef& m_cls;
    std::weak_ptr<Engine> m_engine;
    const Engine* m_owner; // identity only; m_engine tells whether it still exists
    size_t m_charged;      // bytes counted against the memory meter
};

// The variable a resolved reference names in a frame (Me's field needs Me: 424 without it).
inline Value& variableSlot(Frame& f, VarRef r) {
    switch (r.kind) {
    case VarRef::Local:
        return f.locals[r.index];
    case VarRef::Global:
        return f.eng.globals[static_cast<size_t>(r.index)];
    case VarRef::Param:
        return *f.refs[r.index];
    default:
        if (!f.self) throw RuntimeError(err::ObjectRequired);
        return f.self->fields[static_cast<size_t>(r.index)];
    }
}
// Element access shared by variables and array values: index list checked against the bounds (9).
Value& arrayElement(ArrayRep& a, std::span<const Value> indexes);
// Value of `target(args)`: array element or object default member.
Value indexValue(const Value& target, std::span<Value> args);

} // namespace tvk::script
