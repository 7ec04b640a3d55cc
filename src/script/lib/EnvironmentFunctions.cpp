// Environment family: the engine's name and version, the locale functions and GetObject.
#include "script/lib/LibArgs.h"
#include "script/lib/LibraryFamilies.h"

namespace tvk::script::lib {
namespace {

// The library reads and writes numbers and dates in one invariant English locale, whose identifier this is.
constexpr int32_t InvariantLocale = 1033;

Value scriptEngine(CallContext&, std::span<Value>) {
    return Value::string(u"VBScript");
}
Value majorVersion(CallContext&, std::span<Value>) {
    return Value::lng(5);
}
Value minorVersion(CallContext&, std::span<Value>) {
    return Value::lng(8);
}
Value buildVersion(CallContext&, std::span<Value>) {
    return Value::lng(16384);
}
Value getLocale(CallContext&, std::span<Value>) {
    return Value::lng(InvariantLocale);
}

// SetLocale accepts a locale and returns the one before; formatting stays invariant whatever is asked.
Value setLocale(CallContext&, std::span<Value> a) {
    if (has(a, 0) && plain(a[0]).isNull()) throw RuntimeError(err::InvalidUseOfNull);
    return Value::lng(InvariantLocale);
}

// No running objects or files can be bound to by name here.
Value getObject(CallContext&, std::span<Value>) {
    throw RuntimeError(429, "ActiveX component can't create object");
}

} // namespace

void registerEnvironmentFunctions(BuiltinTable& t) {
    t.add("ScriptEngine", &scriptEngine, 0, 0);
    t.add("ScriptEngineMajorVersion", &majorVersion, 0, 0);
    t.add("ScriptEngineMinorVersion", &minorVersion, 0, 0);
    t.add("ScriptEngineBuildVersion", &buildVersion, 0, 0);
    t.add("GetLocale", &getLocale, 0, 0);
    t.add("SetLocale", &setLocale, 0, 1);
    t.add("GetObject", &getObject, 0, 2);
}

} // namespace tvk::script::lib
