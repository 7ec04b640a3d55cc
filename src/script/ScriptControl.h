#pragma once

#include "script/ScriptError.h"
#include "script/ScriptHost.h"
#include "script/ScriptObject.h"
#include "script/Value.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tvk {

namespace script {
class Engine;
}

// The script engine as the program uses it: set the language, reset, add code, add named
// objects, run a named procedure. Every failure is thrown as ScriptError (compile errors with
// their position; runtime errors with the position of the failing statement). Exceptions of
// other types thrown by host objects pass through unchanged.
class ScriptControl {
public:
    ScriptControl();
    ~ScriptControl();
    ScriptControl(const ScriptControl&) = delete;
    ScriptControl& operator=(const ScriptControl&) = delete;

    // Only "VBScript" (any letter case) is known; anything else raises error 5.
    void setLanguage(std::string language);
    const std::string& language() const { return m_language; }

    // Discards code, global variables and named objects (not the host or the time budget).
    // Raises error 5 while a call into the engine is running.
    void Reset();
    // Compiles the text; its global statements run at once, its procedures stay for Run.
    void AddCode(std::string_view utf8Source);
    // Makes `object` reachable by `name`, without exposing its members as global names.
    void AddObject(std::string name, std::shared_ptr<script::ScriptObject> object);
    // Calls the global Sub or Function `name`; the result of a Sub is Empty. Error 35 when
    // there is no such procedure, 450 when the argument count differs.
    script::Value Run(std::string name, std::vector<script::Value> args);
    // Evaluates one expression at global scope (what the script's Eval does there).
    script::Value Eval(std::string_view utf8Expression);
    // Compiles the text into a scratch engine without running any of it: throws the ScriptError
    // of its first compile error (with line and column), else returns. The control is untouched.
    static void Check(std::string_view utf8Source);
    // Ends the script as a console host does when it has run to its end: every global variable becomes
    // Empty in the order they were declared, so the objects they alone held run Class_Terminate while
    // the named objects still exist. Errors in Class_Terminate are not reported, as at any other time.
    void ReleaseGlobals();
    // True when a global Sub or Function of that name exists.
    bool hasProcedure(std::string_view name) const;

    // Time one AddCode or Run may take before it fails with err::ScriptTimeout (default 5 s);
    // zero or less: no limit (a console host runs a script as long as it takes).
    void setTimeBudget(std::chrono::milliseconds budget);
    // Memory the script's values may hold (strings, arrays, objects) before an allocation fails with
    // error 7 "Out of memory"; the engine stays usable. Default DefaultMemoryBudget.
    void setMemoryBudget(size_t bytes) { m_memory = bytes; }
    static constexpr size_t DefaultMemoryBudget = size_t{512} << 20;
    void setHost(script::ScriptHost host);
    // Procedure calls nested deeper than `depth` (1 to 3000, the default) raise 28 "Out of stack space".
    void setCallDepthLimit(int depth);

private:
    template <class F> auto guarded(F&& body);

    std::string m_language;
    script::ScriptHost m_host;
    int m_callDepthLimit = 0; // 0: the engine's own
    std::chrono::milliseconds m_budget{5000};
    size_t m_memory = DefaultMemoryBudget;
    int32_t m_locale = 1033; // SetLocale's choice, active during calls into the engine
    std::shared_ptr<script::Engine> m_engine;
    int m_running = 0;
};

// `Not value` as the language computes it (bitwise on numbers, logical on Boolean).
script::Value vbNot(const script::Value& value);
// CBool(value); raises 13 (or 94 for Null) when the value has no truth value.
bool vbCBool(const script::Value& value);

} // namespace tvk
