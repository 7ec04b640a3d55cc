// Feeds arbitrary bytes to LoadXML. Whatever loads must save and load back to the same language.
#include "events/RuntimeError.h"
#include "language/clsLanguage.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string scratchPath(const char* name) {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tvk-fuzz-" + std::to_string(getpid()) + "-" + name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string input = scratchPath("in.xml");
    static const std::string saved = scratchPath("saved.xml");
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    tvk::clsLanguage lang;
    bool parseError = false;
    lang.setParseErrorHandler([&](const std::string&) { parseError = true; });
    try {
        lang.LoadXML(input);
    } catch (const tvk::RuntimeError&) {
        return 0;
    }
    if (parseError) return 0;

    lang.SaveXML(saved);
    tvk::clsLanguage back;
    back.LoadXML(saved);
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
