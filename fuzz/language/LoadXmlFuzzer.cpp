// Feeds arbitrary bytes to LoadXML. Whatever loads must save and load back to the same language.
#include "events/RuntimeError.h"
#include "language/clsLanguage.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// The text goes through the same path as a file's bytes (limits, parser, reader) without touching the disk.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tvk::clsLanguage lang;
    bool parseError = false;
    lang.setParseErrorHandler([&](const std::string&) { parseError = true; });
    try {
        lang.loadXmlText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.xml");
    } catch (const tvk::RuntimeError&) {
        return 0;
    }
    if (parseError) return 0;

    tvk::clsLanguage back;
    back.loadXmlText(lang.xmlText(), "saved.xml");
    if (back.LanguageName != lang.LanguageName || back.LanguageVersion != lang.LanguageVersion ||
        back.databaseCount() != lang.databaseCount()) {
        std::abort();
    }
    for (std::size_t i = 0; i < lang.databases().size(); ++i) {
        const auto& a = lang.databases()[i];
        const auto& b = back.databases()[i];
        if (a.Name != b.Name || a.Process != b.Process || a.Entries.size() != b.Entries.size()) std::abort();
        for (std::size_t j = 0; j < a.Entries.size(); ++j) {
            const auto& x = a.Entries[j];
            const auto& y = b.Entries[j];
            if (x.Name != y.Name || x.Type != y.Type || !(x.Value == y.Value)) std::abort();
        }
    }
    return 0;
}
