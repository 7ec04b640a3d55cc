#include "script/ScriptObject.h"

#include "events/RuntimeError.h"
#include "script/Coerce.h"

namespace tvk::script {

void ScriptObject::assign(int, std::span<Value>, const Value&, bool) {
    throw RuntimeError(err::NoSuchMember);
}

bool ScriptObject::enumerate(std::vector<Value>&) {
    return false;
}

MemberNames::MemberNames(std::initializer_list<const char*> names) : m_names(names) {}

int MemberNames::find(std::u16string_view name) const {
    for (size_t i = 0; i < m_names.size(); ++i)
        if (equalsNoCase(name, std::string_view(m_names[i]))) return static_cast<int>(i) + 1;
    return ScriptObject::NoMember;
}

void expectArgs(std::span<Value> args, size_t min, size_t max) {
    if (args.size() < min || args.size() > max) throw RuntimeError(err::WrongArgumentCount);
}

} // namespace tvk::script
