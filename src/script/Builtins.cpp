#include "script/Builtins.h"

#include "script/Coerce.h"
#include "script/lib/LibraryFamilies.h"

namespace tvk::script {

void BuiltinTable::add(std::string_view name, BuiltinFn fn, int minArgs, int maxArgs) {
    std::u16string display = utf8ToUtf16(name);
    m_functions[lowerAscii(display)] = Builtin{display, fn, minArgs, maxArgs};
}

void BuiltinTable::addConstant(std::string_view name, Value value) {
    m_constants[lowerAscii(utf8ToUtf16(name))] = std::move(value);
}

void BuiltinTable::addClass(std::string_view name, ObjectFactory factory) {
    m_classes[lowerAscii(utf8ToUtf16(name))] = factory;
}

void BuiltinTable::addProgId(std::string_view progId, ObjectFactory factory) {
    m_progIds[lowerAscii(utf8ToUtf16(progId))] = factory;
}

const Builtin* BuiltinTable::find(std::u16string_view name) const {
    auto it = m_functions.find(lowerAscii(name));
    return it == m_functions.end() ? nullptr : &it->second;
}

const Value* BuiltinTable::constant(std::u16string_view name) const {
    auto it = m_constants.find(lowerAscii(name));
    return it == m_constants.end() ? nullptr : &it->second;
}

ObjectFactory BuiltinTable::classFactory(std::u16string_view name) const {
    auto it = m_classes.find(lowerAscii(name));
    return it == m_classes.end() ? nullptr : it->second;
}

ObjectFactory BuiltinTable::progIdFactory(std::u16string_view progId) const {
    auto it = m_progIds.find(lowerAscii(progId));
    return it == m_progIds.end() ? nullptr : it->second;
}

const BuiltinTable& BuiltinTable::standard() {
    static const BuiltinTable table = [] {
        BuiltinTable t;
        registerCoreBuiltins(t);
        registerLibraryFamilies(t);
        return t;
    }();
    return table;
}

} // namespace tvk::script
