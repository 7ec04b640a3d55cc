#include "script/ScriptControl.h"

#include "script/Coerce.h"
#include "script/Compiler.h"
#include "script/Engine.h"
#include "script/MemoryMeter.h"
#include "script/Parser.h"
#include "script/lib/ScriptLocale.h"

#include <algorithm>

namespace tvk {

using namespace script;

ScriptControl::ScriptControl() {
    Reset();
}

ScriptControl::~ScriptControl() = default;

void ScriptControl::setLanguage(std::string language) {
    std::u16string l = lowerAscii(utf8ToUtf16(language));
    if (l != u"vbscript") throw ScriptError(err::InvalidCall, "Unknown script language: " + language, 0, 0, false);
    m_language = std::move(language);
}

void ScriptControl::Reset() {
    if (m_running)
        throw ScriptError(err::InvalidCall, "The script engine cannot be reset while a script runs", 0, 0, false);
    m_engine.reset(); // the old engine goes first: its objects' Class_Terminate must not run in the new one
    m_engine = std::make_shared<Engine>(m_host);
    m_engine->budget = m_budget;
    if (m_callDepthLimit > 0) m_engine->callDepthLimit = m_callDepthLimit;
}

void ScriptControl::setCallDepthLimit(int depth) {
    m_callDepthLimit = std::clamp(depth, 1, script::Engine::MaxCallDepth);
    m_engine->callDepthLimit = m_callDepthLimit;
}

void ScriptControl::setTimeBudget(std::chrono::milliseconds budget) {
    m_budget = budget;
    m_engine->budget = budget;
}

void ScriptControl::setHost(ScriptHost host) {
    m_host = std::move(host);
}

// Runs body inside the protected boundary: every engine failure becomes a ScriptError.
template <class F> auto ScriptControl::guarded(F&& body) {
    std::shared_ptr<Engine> engine = m_engine; // alive for the whole call
    struct Running {
        int& n;
        Engine& e;
        Running(int& x, Engine& engine) : n(x), e(engine) { e.running = ++n > 0; }
        ~Running() { e.running = --n > 0; }
    } running(m_running, *engine);
    if (m_running == 1) engine->startBudget();
    Engine* raw = engine.get();
    MemoryMeter::Scope memory(m_memory, [raw] { raw->collectCycles(); });
    // The engine's locale is the thread's for the call (SetLocale changes it), then the caller's again.
    // A call made from inside a running one (the host's objects calling back) keeps the locale as is.
    struct LocaleScope {
        int32_t* engineLocale;
        const locale::Format& callers = locale::active();
        LocaleScope(int32_t& id, bool outermost) : engineLocale(outermost ? &id : nullptr) {
            if (engineLocale) locale::setActive(*locale::find(id));
        }
        ~LocaleScope() {
            if (!engineLocale) return;
            *engineLocale = locale::active().id;
            locale::setActive(callers);
        }
    } localeScope(m_locale, m_running == 1);
    try {
        return body(*engine);
    } catch (const ScriptError&) {
        throw;
    } catch (const RuntimeError& e) {
        throw ScriptError(e.number(), scriptDescription(e), 0, 0, false);
    } catch (const ScriptAbort& a) {
        ScriptError error(a.number, a.line, a.col, false);
        if (a.line) error.setCodeIndex(a.code);
        throw error;
    } catch (const std::bad_alloc&) {
        throw ScriptError(err::OutOfMemory, 0, 0, false);
    }
}

void ScriptControl::AddCode(std::string_view utf8Source) {
    std::u16string source = utf8ToUtf16(utf8Source);
    guarded([&](Engine& e) {
        e.runCode(source, nullptr, true, e.addedCode++);
        return 0;
    });
}

void ScriptControl::ReleaseGlobals() {
    guarded([](Engine& e) {
        e.releaseGlobalVariables();
        return 0;
    });
}

void ScriptControl::Check(std::string_view utf8Source) {
    std::u16string source = utf8ToUtf16(utf8Source);
    try {
        Engine scratch{ScriptHost{}};
        scratch.compileOnly(source);
    } catch (const ScriptError&) {
        throw;
    } catch (const RuntimeError& e) {
        throw ScriptError(e.number(), scriptDescription(e), 0, 0, true);
    } catch (const std::bad_alloc&) {
        throw ScriptError(err::OutOfMemory, 0, 0, false);
    }
}

void ScriptControl::AddObject(std::string name, std::shared_ptr<ScriptObject> object) {
    m_engine->addObject(utf8ToUtf16(name), Value::object(std::move(object)));
}

bool ScriptControl::hasProcedure(std::string_view name) const {
    GlobalEntry* g = m_engine->findGlobal(lowerAscii(utf8ToUtf16(name)));
    return g && g->kind == GlobalEntry::Procedure;
}

Value ScriptControl::Run(std::string name, std::vector<Value> args) {
    return guarded([&](Engine& e) -> Value {
        GlobalEntry* g = e.findGlobal(lowerAscii(utf8ToUtf16(name)));
        if (!g || g->kind != GlobalEntry::Procedure)
            throw RuntimeError(err::ProcedureNotDefined, "Sub or Function not defined: '" + name + "'");
        return e.callProc(*g->proc, nullptr, args);
    });
}

Value ScriptControl::Eval(std::string_view utf8Expression) {
    std::u16string source = utf8ToUtf16(utf8Expression);
    return guarded([&](Engine& e) {
        Frame global{e, nullptr, nullptr, nullptr};
        return e.evalExpression(source, global);
    });
}

Value vbNot(const Value& value) {
    return notOp(value);
}

bool vbCBool(const Value& value) {
    return toBool(value);
}

} // namespace tvk
