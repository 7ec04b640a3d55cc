#include "script/lib/RegExpObject.h"

#include "events/RuntimeError.h"
#include "script/lib/LibArgs.h"

namespace tvk::script::lib {
namespace {

enum RegExpMember { Pattern = 1, IgnoreCase, Global, Multiline, Test, Execute, Replace };
const MemberNames& regExpNames() {
    static const MemberNames names{"Pattern", "IgnoreCase", "Global", "Multiline", "Test", "Execute", "Replace"};
    return names;
}

// Zero-based Item index of the collections, 5 when outside.
size_t itemIndex(std::span<Value> args, size_t count) {
    expectArgs(args, 1, 1);
    const int32_t i = toLong(args[0]);
    if (i < 0 || static_cast<size_t>(i) >= count) throw RuntimeError(err::InvalidCall);
    return static_cast<size_t>(i);
}

// A read-only list of values: Count, Item (the default member) and For Each.
class ValueList : public ScriptObject {
public:
    ValueList(std::string name, std::vector<Value> items) : m_name(std::move(name)), m_items(std::move(items)) {}
    std::string typeName() const override { return m_name; }
    int memberId(std::u16string_view name) const override { return names().find(name); }
    Value invoke(int id, std::span<Value> args) override {
        switch (id) {
        case DefaultMember:
        case 2:
            return m_items[itemIndex(args, m_items.size())];
        case 1:
            expectArgs(args, 0, 0);
            return Value::lng(static_cast<int32_t>(m_items.size()));
        default:
            throw RuntimeError(err::NoSuchMember);
        }
    }
    bool enumerate(std::vector<Value>& items) override {
        items = m_items;
        return true;
    }
    const void* memberTable() const override { return &names(); }

private:
    static const MemberNames& names() {
        static const MemberNames n{"Count", "Item"};
        return n;
    }
    std::string m_name;
    std::vector<Value> m_items;
};

class MatchObject final : public ScriptObject {
public:
    MatchObject(std::u16string value, int firstIndex, std::vector<Value> subMatches)
        : m_value(std::move(value)), m_firstIndex(firstIndex), m_subMatches(std::move(subMatches)) {}
    std::string typeName() const override { return "IMatch2"; }
    int memberId(std::u16string_view name) const override { return names().find(name); }
    Value invoke(int id, std::span<Value> args) override {
        if (id == 4) {
            // m.SubMatches(i) indexes the collection through its default member.
            auto subs = std::make_shared<ValueList>("ISubMatches", m_subMatches);
            return args.empty() ? Value::object(std::move(subs)) : subs->invoke(DefaultMember, args);
        }
        expectArgs(args, 0, 0);
        switch (id) {
        case DefaultMember:
        case 1:
            return Value::string(m_value);
        case 2:
            return Value::lng(m_firstIndex);
        case 3:
            return Value::lng(static_cast<int32_t>(m_value.size()));
        default:
            throw RuntimeError(err::NoSuchMember);
        }
    }
    const void* memberTable() const override { return &names(); }

private:
    static const MemberNames& names() {
        static const MemberNames n{"Value", "FirstIndex", "Length", "SubMatches"};
        return n;
    }
    std::u16string m_value;
    int m_firstIndex;
    std::vector<Value> m_subMatches;
};

} // namespace

Value makeMatches(const std::u16string& text, const std::vector<std::vector<int>>& found) {
    std::vector<Value> matches;
    for (const std::vector<int>& caps : found) {
        std::vector<Value> subs;
        for (size_t g = 2; g + 1 < caps.size(); g += 2) {
            if (caps[g] < 0)
                subs.emplace_back();
            else
                subs.push_back(Value::string(
                    text.substr(static_cast<size_t>(caps[g]), static_cast<size_t>(caps[g + 1] - caps[g]))));
        }
        matches.push_back(Value::object(std::make_shared<MatchObject>(
            text.substr(static_cast<size_t>(caps[0]), static_cast<size_t>(caps[1] - caps[0])), caps[0],
            std::move(subs))));
    }
    return Value::object(std::make_shared<ValueList>("IMatchCollection2", std::move(matches)));
}

int RegExpObject::memberId(std::u16string_view name) const {
    return regExpNames().find(name);
}

const void* RegExpObject::memberTable() const {
    return &regExpNames();
}

const regex::Regex& RegExpObject::compiled() {
    if (!m_compiled) m_compiled.emplace(m_pattern, regex::Options{m_ignoreCase, m_multiline});
    return *m_compiled;
}

Value RegExpObject::invoke(int id, std::span<Value> args) {
    switch (id) {
    case Pattern:
        expectArgs(args, 0, 0);
        return Value::string(m_pattern);
    case IgnoreCase:
        expectArgs(args, 0, 0);
        return Value::boolean(m_ignoreCase);
    case Global:
        expectArgs(args, 0, 0);
        return Value::boolean(m_global);
    case Multiline:
        expectArgs(args, 0, 0);
        return Value::boolean(m_multiline);
    case Test: {
        expectArgs(args, 1, 1);
        const std::u16string text = objectArgText(args[0]);
        std::vector<int> caps;
        return Value::boolean(compiled().search(text, 0, caps, regex::DefaultStepBudget, timeCheck()));
    }
    case Execute:
        expectArgs(args, 1, 1);
        return execute(objectArgText(args[0]));
    case Replace:
        expectArgs(args, 2, 2);
        return Value::string(replace(objectArgText(args[0]), objectArgText(args[1])));
    default:
        throw RuntimeError(err::NoSuchMember);
    }
}

void RegExpObject::assign(int id, std::span<Value> args, const Value& value, bool isSet) {
    if (isSet || !args.empty()) throw RuntimeError(err::NoSuchMember);
    switch (id) {
    case Pattern:
        m_pattern = objectArgText(value);
        break;
    case IgnoreCase:
        m_ignoreCase = toBool(value);
        break;
    case Global:
        m_global = toBool(value);
        return; // does not change the compiled pattern
    case Multiline:
        m_multiline = toBool(value);
        break;
    default:
        throw RuntimeError(err::NoSuchMember);
    }
    m_compiled.reset();
}

Value RegExpObject::execute(const std::u16string& text) {
    const regex::Regex& re = compiled();
    std::vector<std::vector<int>> found;
    std::vector<int> caps;
    size_t from = 0;
    while (from <= text.size() && re.search(text, from, caps, regex::DefaultStepBudget, timeCheck())) {
        found.push_back(caps);
        if (!m_global) break;
        if (found.size() % 4096 == 0 && m_checkTime) m_checkTime();
        // An empty match moves on by one so the search always advances.
        from = static_cast<size_t>(caps[1] > caps[0] ? caps[1] : caps[1] + 1);
    }
    return makeMatches(text, found);
}

std::u16string RegExpObject::replace(const std::u16string& text, const std::u16string& replacement) {
    const regex::Regex& re = compiled();
    std::u16string out;
    std::vector<int> caps;
    size_t from = 0;   // where the next search starts
    size_t copied = 0; // text before this is already in `out`
    size_t matches = 0;
    while (from <= text.size() && re.search(text, from, caps, regex::DefaultStepBudget, timeCheck())) {
        out.append(text, copied, static_cast<size_t>(caps[0]) - copied);
        out += regex::expandReplacement(replacement, text, caps);
        copied = static_cast<size_t>(caps[1]);
        if (!m_global) break;
        if (++matches % 4096 == 0 && m_checkTime) m_checkTime();
        from = static_cast<size_t>(caps[1] > caps[0] ? caps[1] : caps[1] + 1);
    }
    out.append(text, copied, std::u16string::npos);
    return out;
}

} // namespace tvk::script::lib
