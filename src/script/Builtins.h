#pragma once

#include "script/ScriptHost.h"
#include "script/ScriptObject.h"
#include "script/Value.h"

#include <chrono>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <typeindex>
#include <unordered_map>

// Builtin functions, constants and creatable classes.
//
// Adding a family (string, math, conversion, date/time, formatting, RegExp, Dictionary, ...):
//  1. Write src/script/lib/<Family>.cpp with one function `void register<Family>(BuiltinTable& t)`
//     that calls t.add("Left", &left, 2, 2) for each function, t.addConstant("vbCrLf", ...)
//     for its constants, t.addClass("RegExp", factory) for `New RegExp` and
//     t.addProgId("Scripting.Dictionary", factory) for CreateObject.
//  2. Declare it in src/script/lib/LibraryFamilies.h and call it from registerLibraryFamilies()
//     in src/script/lib/LibraryFamilies.cpp (the one table of families; the core builtins of
//     the language register themselves apart from it).
// A builtin receives its arguments by value in call order: args.size() lies between the
// registered minimum and maximum (missing optional arguments are simply absent, never Empty
// placeholders). Arguments are raw variants: objects arrive as objects, so use the coercions of
// script/Coerce.h, which apply default members, Null rules and the errors 13/6/94.
// Report failure by throwing tvk::RuntimeError(number) or RuntimeError(number, description);
// the engine adds the line and column and routes it to On Error or the caller.
namespace tvk::script {

class Engine;
struct Frame;

// What a builtin may use of the engine that runs it.
class CallContext {
public:
    CallContext(const ScriptHost& host, Engine& engine, Frame* frame = nullptr)
        : m_host(host), m_engine(engine), m_frame(frame) {}

    const ScriptHost& host() const { return m_host; }
    // Current wall-clock time (the host's clock when it has one).
    std::chrono::system_clock::time_point now() const {
        return m_host.clock ? m_host.clock() : std::chrono::system_clock::now();
    }
    // Per-engine state of a family (e.g. the Rnd seed), created by default construction on
    // first use and dropped by Reset.
    template <class T> T& state() {
        auto& slot = states()[std::type_index(typeid(T))];
        if (!slot) slot = std::make_shared<T>();
        return *static_cast<T*>(slot.get());
    }
    // Long work (a pass over a large text or array) calls this every few thousand steps: it ends
    // the call with the time-out error once the call's time budget is spent.
    void checkTime() const;
    // The same check for an object the call creates, to use in its own long work later: it checks
    // while a call into this engine runs and does nothing once the engine is gone.
    std::function<void()> timeCheck() const;
    // The engine running the call and the calling statement's frame (internal to the core builtins).
    Engine& engine() const { return m_engine; }
    Frame* frame() const { return m_frame; }

private:
    std::unordered_map<std::type_index, std::shared_ptr<void>>& states();

    const ScriptHost& m_host;
    Engine& m_engine;
    Frame* m_frame;
};

using BuiltinFn = Value (*)(CallContext& ctx, std::span<Value> args);
using ObjectFactory = std::shared_ptr<ScriptObject> (*)(CallContext& ctx);

struct Builtin {
    std::u16string name; // as registered, for messages
    BuiltinFn fn = nullptr;
    int minArgs = 0;
    int maxArgs = 0; // Variadic for any number
};

class BuiltinTable {
public:
    static constexpr int Variadic = 1 << 20;

    // Registers a function under a case-insensitive name (a later registration replaces one).
    void add(std::string_view name, BuiltinFn fn, int minArgs, int maxArgs);
    // Registers a named constant (vbCrLf, vbTextCompare, ...); scripts cannot assign to it.
    void addConstant(std::string_view name, Value value);
    // `New Name` for a class the library provides (RegExp).
    void addClass(std::string_view name, ObjectFactory factory);
    // CreateObject("ProgId").
    void addProgId(std::string_view progId, ObjectFactory factory);

    const Builtin* find(std::u16string_view name) const;
    const Value* constant(std::u16string_view name) const;
    ObjectFactory classFactory(std::u16string_view name) const;
    ObjectFactory progIdFactory(std::u16string_view progId) const;

    // Every family registered once: the language core plus the library families.
    static const BuiltinTable& standard();

private:
    std::unordered_map<std::u16string, Builtin> m_functions; // keys lower-cased
    std::unordered_map<std::u16string, Value> m_constants;
    std::unordered_map<std::u16string, ObjectFactory> m_classes;
    std::unordered_map<std::u16string, ObjectFactory> m_progIds;
};

// The language's own builtins (type inspection, arrays, Eval/Execute/GetRef, MsgBox, ...).
void registerCoreBuiltins(BuiltinTable& table);

} // namespace tvk::script
