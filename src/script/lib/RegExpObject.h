#pragma once

#include "script/ScriptObject.h"
#include "script/lib/Regex.h"

#include <functional>
#include <memory>
#include <optional>

namespace tvk::script::lib {

// `New RegExp`: Pattern, IgnoreCase, Global, Multiline, Test, Execute (a Matches collection) and Replace.
// The pattern is compiled on first use after any of the first four properties changes.
class RegExpObject final : public ScriptObject {
public:
    // `checkTime` is called as long searches go and may throw to end them (see CallContext::timeCheck).
    explicit RegExpObject(std::function<void()> checkTime = {}) : m_checkTime(std::move(checkTime)) {}
    std::string typeName() const override { return "IRegExp2"; }
    int memberId(std::u16string_view name) const override;
    Value invoke(int id, std::span<Value> args) override;
    void assign(int id, std::span<Value> args, const Value& value, bool isSet) override;
    const void* memberTable() const override;

private:
    const regex::Regex& compiled();
    const std::function<void()>* timeCheck() const { return m_checkTime ? &m_checkTime : nullptr; }
    Value execute(const std::u16string& text);
    std::u16string replace(const std::u16string& text, const std::u16string& replacement);

    std::u16string m_pattern;
    bool m_ignoreCase = false;
    bool m_global = false;
    bool m_multiline = false;
    std::optional<regex::Regex> m_compiled;
    std::function<void()> m_checkTime;
};

// Builds a Matches collection: one match per entry of `found`, each holding 2 * (groups + 1) positions.
Value makeMatches(const std::u16string& text, const std::vector<std::vector<int>>& found);

} // namespace tvk::script::lib
