#include "script/runner/ArgumentsObject.h"

#include "events/RuntimeError.h"
#include "script/Coerce.h"

namespace tvk::script {

namespace {
enum Member { Item = 1, Count, Length, NamedMember, UnnamedMember, Exists };

const MemberNames& names() {
    static const MemberNames n{"Item", "Count", "Length", "Named", "Unnamed", "Exists"};
    return n;
}

bool isSwitch(const std::string& a) {
    return a.size() > 1 && a[0] == '/';
}
} // namespace

ArgumentsObject::ArgumentsObject(std::vector<std::string> args, View view) : m_view(view) {
    if (view == View::All) {
        m_namedView = std::make_shared<ArgumentsObject>(args, View::Named);
        m_unnamedView = std::make_shared<ArgumentsObject>(args, View::Unnamed);
        m_all = std::move(args);
        return;
    }
    for (auto& a : args) {
        if (view == View::Unnamed) {
            if (!isSwitch(a)) m_all.push_back(a);
            continue;
        }
        if (!isSwitch(a)) continue;
        size_t colon = a.find(':');
        Named n;
        n.name = utf8ToUtf16(std::string_view(a).substr(1, colon == std::string::npos ? std::string::npos : colon - 1));
        if (colon != std::string::npos) n.value = Value::string(std::string_view(a).substr(colon + 1));
        // A switch given twice keeps its last value.
        std::erase_if(m_named, [&](const Named& old) { return equalsNoCase(old.name, n.name); });
        m_named.push_back(std::move(n));
    }
}

std::string ArgumentsObject::typeName() const {
    switch (m_view) {
    case View::Named:
        return "WshNamed";
    case View::Unnamed:
        return "WshUnnamed";
    default:
        return "WshArguments";
    }
}

int ArgumentsObject::memberId(std::u16string_view name) const {
    int id = names().find(name);
    if (id == Item) return DefaultMember;
    if ((id == NamedMember || id == UnnamedMember) && m_view != View::All) return NoMember;
    if (id == Exists && m_view != View::Named) return NoMember;
    return id;
}

const void* ArgumentsObject::memberTable() const {
    return nullptr; // the views answer different member sets
}

const ArgumentsObject::Named* ArgumentsObject::findNamed(const Value& key) const {
    std::u16string name = toString(key);
    for (const auto& n : m_named)
        if (equalsNoCase(n.name, name)) return &n;
    return nullptr;
}

Value ArgumentsObject::invoke(int id, std::span<Value> args) {
    switch (id) {
    case DefaultMember: {
        expectArgs(args, 1, 1);
        if (m_view == View::Named) {
            const Named* n = findNamed(args[0]);
            return n ? n->value : Value();
        }
        int32_t i = toLong(args[0]);
        if (i < 0 || static_cast<size_t>(i) >= m_all.size()) throw RuntimeError(err::SubscriptOutOfRange);
        return Value::string(std::string_view(m_all[static_cast<size_t>(i)]));
    }
    case Count:
    case Length:
        expectArgs(args, 0, 0);
        return Value::lng(static_cast<int32_t>(m_view == View::Named ? m_named.size() : m_all.size()));
    case NamedMember:
    case UnnamedMember: {
        // Named("x") and Unnamed(0) reach the view's Item.
        expectArgs(args, 0, 1);
        auto& view = id == NamedMember ? m_namedView : m_unnamedView;
        return args.empty() ? Value::object(view) : view->invoke(DefaultMember, args);
    }
    case Exists:
        expectArgs(args, 1, 1);
        return Value::boolean(findNamed(args[0]) != nullptr);
    default:
        throw RuntimeError(err::NoSuchMember);
    }
}

bool ArgumentsObject::enumerate(std::vector<Value>& items) {
    if (m_view == View::Named) {
        for (const auto& n : m_named)
            items.push_back(Value::string(n.name));
        return true;
    }
    for (const auto& a : m_all)
        items.push_back(Value::string(std::string_view(a)));
    return true;
}

} // namespace tvk::script
