#pragma once

#include "language/FormLayer.h"
#include "language/LanguageValue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tvk {

// A database or entry given by its index or by its name. A name that reads as a decimal number
// ("12", " -1 ", "2.5") is taken as that index, rounded half to even.
using NameOrIndex = std::variant<std::int32_t, std::string>;

// The language of the user interface: named databases of named entries, read from and written to the
// XML language file, and applied to windows. Names are compared ignoring letter case; every lookup takes
// the first match in index order. Failures are tvk::RuntimeError.
class clsLanguage {
public:
    struct EntryRecord {
        std::string Name;
        std::string Type;
        LanguageValue Value;
    };
    struct DatabaseRecord {
        std::string Name;
        std::vector<EntryRecord> Entries;
        bool Process = false;
    };

    // Receives the text of the parse error box (title "Error", stop icon, OK) when LoadXML meets a
    // file that is not well-formed XML. Without a handler the message is dropped.
    using ParseErrorHandler = std::function<void(const std::string& message)>;

    std::string LanguageName;
    std::string LanguageVersion = "1.0";

    void setParseErrorHandler(ParseErrorHandler handler) { m_onParseError = std::move(handler); }

    // Writes the whole language to `sFile` in the file layout (no declaration, UTF-8, CR LF indents),
    // replacing it atomically. A file error (75, 76, 70, ...) when it cannot be written; 5 for a text XML
    // cannot hold (a control character, bytes that are not UTF-8). Memory is unchanged.
    void SaveXML(const std::string& sFile) const;
    // Replaces the databases by those of `sFile`. A missing file changes nothing; a file that is not
    // well-formed, cannot be read or breaks LanguageFileLimits leaves no databases and reports through
    // the parse error handler; a well-formed file that breaks the format raises 91, 94, 13 or 9 and
    // keeps what was appended before the fault.
    void LoadXML(const std::string& sFile);
    // The same two in memory: the file's text as SaveXML writes it, and LoadXML over `xml` as the text of
    // a file named `sourceName` (the name only appears in messages).
    std::string xmlText() const;
    void loadXmlText(std::string xml, const std::string& sourceName);

    // Appends a database / an entry and returns its index. AppendEntry raises 9 for a bad `Index`.
    std::int32_t AppendDatabase(std::string sName, bool bProcess);
    std::int32_t AppendEntry(std::int32_t Index, std::string sName, LanguageValue vValue,
                             std::string sType = "Property");
    void ClearDatabases();
    // Removes the entries of database `Index`; does nothing for an index that names no database.
    void ClearEntries(std::int32_t Index);
    bool IsDatabase(std::int32_t Index) const;
    bool IsEntry(std::int32_t DataIndex, std::int32_t EntryIndex) const;
    // First database named `Expression` (and with that flag when `Process` is given), or -1.
    std::int32_t FindDatabase(std::string_view Expression, std::optional<bool> Process = std::nullopt) const;
    // First entry named `sName`; a non-empty `vValue` or `sType` must also match (text ignoring case). -1 if none.
    std::int32_t FindEntry(std::int32_t Index, std::string_view sName, const LanguageValue& vValue = {},
                           std::string_view sType = {}) const;

    // Captures the window's caption and the controls of the kinds in `ControlsExpression` ("*" or kind
    // names joined by ";") into the window's database. The first failure propagates.
    void AppendForm(Form& form, std::string_view ControlsExpression);
    // Applies the window's database (same name, Process set) to it; every failing step is skipped.
    void ProcessForm(Form& form);
    // ProcessForm for each window in order; a null window raises 91.
    void UpdateAll(const std::vector<Form*>& aForms);

    // A copy of the entry's value, empty when there is no such entry. Never fails.
    LanguageValue EntryValue(const NameOrIndex& Database, const NameOrIndex& Entry) const;
    // Replaces the value of an existing entry; does nothing when there is no such entry.
    void setEntryValue(const NameOrIndex& Database, const NameOrIndex& Entry, LanguageValue vNewValue);

    // Read access for tools and tests.
    std::int32_t databaseCount() const { return static_cast<std::int32_t>(m_databases.size()); }
    const std::vector<DatabaseRecord>& databases() const { return m_databases; }

private:
    std::int32_t ResolveDatabase(const NameOrIndex& Database) const;
    std::int32_t ResolveEntry(std::int32_t DataIndex, const NameOrIndex& Entry) const;
    void loadDocument(std::string bytes, const std::string& sourceName);
    void reportParseError(int code, const std::string& reason, int line, int column) const;
    void applyEntry(Form& form, const EntryRecord& entry);

    std::vector<DatabaseRecord> m_databases;
    ParseErrorHandler m_onParseError;
};

} // namespace tvk
