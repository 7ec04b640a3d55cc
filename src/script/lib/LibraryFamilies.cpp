#include "script/lib/LibraryFamilies.h"

#include "script/lib/DictionaryObject.h"
#include "script/lib/RegExpObject.h"

namespace tvk::script {

namespace lib {

void registerObjectClasses(BuiltinTable& table) {
    table.addClass("RegExp", [](CallContext& ctx) -> std::shared_ptr<ScriptObject> {
        return std::make_shared<RegExpObject>(ctx.timeCheck());
    });
    // Snippets often create the pattern object by its class name instead of `New RegExp`.
    table.addProgId("VBScript.RegExp", [](CallContext& ctx) -> std::shared_ptr<ScriptObject> {
        return std::make_shared<RegExpObject>(ctx.timeCheck());
    });
    table.addProgId("Scripting.Dictionary",
                    [](CallContext&) -> std::shared_ptr<ScriptObject> { return std::make_shared<DictionaryObject>(); });
}

} // namespace lib

// The one table of library families; each family file adds its register call here.
void registerLibraryFamilies(BuiltinTable& table) {
    lib::registerStringFunctions(table);
    lib::registerMathFunctions(table);
    lib::registerConversionFunctions(table);
    lib::registerDateFunctions(table);
    lib::registerFormatFunctions(table);
    lib::registerEnvironmentFunctions(table);
    lib::registerObjectClasses(table);
}

} // namespace tvk::script
