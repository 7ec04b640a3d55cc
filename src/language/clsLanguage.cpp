#include "language/clsLanguage.h"

#include "events/RuntimeError.h"
#include "language/TextCompare.h"

namespace tvk {

std::int32_t clsLanguage::AppendDatabase(std::string sName, bool bProcess) {
    const auto index = databaseCount();
    m_databases.push_back(DatabaseRecord{std::move(sName), {}, bProcess});
    return index;
}

std::int32_t clsLanguage::AppendEntry(std::int32_t Index, std::string sName, LanguageValue vValue, std::string sType) {
    if (!IsDatabase(Index)) throw RuntimeError(err::SubscriptOutOfRange);
    auto& entries = m_databases[static_cast<std::size_t>(Index)].Entries;
    const auto index = static_cast<std::int32_t>(entries.size());
    entries.push_back(EntryRecord{std::move(sName), std::move(sType), std::move(vValue)});
    return index;
}

void clsLanguage::ClearDatabases() {
    m_databases.clear();
}

void clsLanguage::ClearEntries(std::int32_t Index) {
    if (IsDatabase(Index)) m_databases[static_cast<std::size_t>(Index)].Entries.clear();
}

bool clsLanguage::IsDatabase(std::int32_t Index) const {
    return Index >= 0 && Index < databaseCount();
}

bool clsLanguage::IsEntry(std::int32_t DataIndex, std::int32_t EntryIndex) const {
    return IsDatabase(DataIndex) && EntryIndex >= 0 &&
           static_cast<std::size_t>(EntryIndex) < m_databases[static_cast<std::size_t>(DataIndex)].Entries.size();
}

std::int32_t clsLanguage::FindDatabase(std::string_view Expression, std::optional<bool> Process) const {
    for (std::size_t i = 0; i < m_databases.size(); ++i) {
        const auto& db = m_databases[i];
        if (equalsIgnoreCase(db.Name, Expression) && (!Process || *Process == db.Process)) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

namespace {

// A value criterion matches when it is empty, or when its text equals the entry's value text ignoring case.
// An array criterion matches an array entry with the same bounds and equal items.
bool valueMatches(const LanguageValue& criterion, const LanguageValue& value) {
    if (criterion.isEmpty()) return true;
    if (criterion.isArray() || value.isArray()) {
        if (!criterion.isArray() || !value.isArray()) return false;
        if (criterion.lowerBound() != value.lowerBound() || criterion.items().size() != value.items().size()) {
            return false;
        }
        for (std::size_t i = 0; i < value.items().size(); ++i) {
            if (!equalsIgnoreCase(criterion.items()[i], value.items()[i])) return false;
        }
        return true;
    }
    return criterion.text().empty() || equalsIgnoreCase(criterion.text(), value.text());
}

} // namespace

std::int32_t clsLanguage::FindEntry(std::int32_t Index, std::string_view sName, const LanguageValue& vValue,
                                    std::string_view sType) const {
    if (!IsDatabase(Index)) return -1;
    const auto& entries = m_databases[static_cast<std::size_t>(Index)].Entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        if (equalsIgnoreCase(e.Name, sName) && (sType.empty() || equalsIgnoreCase(e.Type, sType)) &&
            valueMatches(vValue, e.Value)) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

std::int32_t clsLanguage::ResolveDatabase(const NameOrIndex& Database) const {
    if (const auto* index = std::get_if<std::int32_t>(&Database)) return *index;
    const auto& name = std::get<std::string>(Database);
    if (const auto index = textAsIndex(name)) return *index;
    return FindDatabase(name);
}

std::int32_t clsLanguage::ResolveEntry(std::int32_t DataIndex, const NameOrIndex& Entry) const {
    if (const auto* index = std::get_if<std::int32_t>(&Entry)) return *index;
    const auto& name = std::get<std::string>(Entry);
    if (const auto index = textAsIndex(name)) return *index;
    return FindEntry(DataIndex, name);
}

LanguageValue clsLanguage::EntryValue(const NameOrIndex& Database, const NameOrIndex& Entry) const {
    const auto d = ResolveDatabase(Database);
    const auto e = ResolveEntry(d, Entry);
    if (!IsEntry(d, e)) return {};
    return m_databases[static_cast<std::size_t>(d)].Entries[static_cast<std::size_t>(e)].Value;
}

void clsLanguage::setEntryValue(const NameOrIndex& Database, const NameOrIndex& Entry, LanguageValue vNewValue) {
    const auto d = ResolveDatabase(Database);
    const auto e = ResolveEntry(d, Entry);
    if (!IsEntry(d, e)) return;
    m_databases[static_cast<std::size_t>(d)].Entries[static_cast<std::size_t>(e)].Value = std::move(vNewValue);
}

} // namespace tvk
