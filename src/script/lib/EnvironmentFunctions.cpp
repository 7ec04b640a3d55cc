// Environment family: the engine's name and version, the locale functions and GetObject.
#include "script/lib/LibArgs.h"
#include "script/lib/LibraryFamilies.h"
#include "script/lib/ScriptLocale.h"

namespace tvk::script::lib {
namespace {

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
    return Value::lng(locale::active().id);
}

// SetLocale([id or tag]) makes the locale active and returns the one before; without an argument
// (or 0) the default. Locales other than the shipped languages' raise 5.
Value setLocale(CallContext&, std::span<Value> a) {
    const int32_t before = locale::active().id;
    const Value v = has(a, 0) ? plain(a[0]) : Value();
    if (v.isNull()) throw RuntimeError(err::InvalidUseOfNull);
    const bool blank = v.isEmpty() || (v.isString() && v.str().empty());
    const locale::Format* f = nullptr;
    if (v.isString() && !blank && (v.str()[0] < u'0' || v.str()[0] > u'9'))
        f = locale::find(std::u16string_view(v.str()));
    else if (blank || toLong(v) == 0)
        f = locale::find(locale::DefaultId);
    else
        f = locale::find(toLong(v));
    if (!f) throw RuntimeError(err::InvalidCall);
    locale::setActive(*f);
    return Value::lng(before);
}

// No running objects or files can be bound to by name here.
Value getObject(CallContext&, std::span<Value>) {
    throw RuntimeError(err::CannotCreateObject);
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
