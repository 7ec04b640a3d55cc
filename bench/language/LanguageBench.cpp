// Language figures, each a ratio of two costs measured side by side in this run:
//   load_vs_parse            LoadXML of a file of 100,000 entries divided by a bare libxml2 parse of it
//   save_vs_parse            SaveXML of that language divided by the same bare parse
//   hostile_refusal_vs_parse refusing a 2.3 MB file with 200,000 attributes on one element, divided by the
//                            same bare parse of the ten times larger ordinary file (the parser alone would
//                            take minutes on the hostile file)
//   append_cost_100k_vs_1k   per-entry AppendEntry cost filling one database to 100,000 entries, divided by
//                            the cost filling it to 1,000 (1.0 means constant cost per entry)
#include "language/clsLanguage.h"

#include <libxml/parser.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

using namespace tvk;

namespace {

using Clock = std::chrono::steady_clock;

double bestOf(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

clsLanguage bigLanguage() {
    clsLanguage lang;
    lang.LanguageName = "Bench";
    for (int d = 0; d < 200; ++d) {
        const auto db = lang.AppendDatabase("frmWindow" + std::to_string(d), d % 2 == 0);
        for (int e = 0; e < 500; ++e) {
            if (e % 10 == 0) {
                lang.AppendEntry(db, "lst" + std::to_string(e), LanguageValue::array(1, {"Type", "Data", "Time"}),
                                 "ListView");
            } else {
                lang.AppendEntry(db, "cmd" + std::to_string(e), LanguageValue("&Caption number " + std::to_string(e)),
                                 "CommandButton");
            }
        }
    }
    return lang;
}

double perEntryAppendCost(int entries) {
    return bestOf(5,
                  [entries] {
                      clsLanguage lang;
                      const auto d = lang.AppendDatabase("db", false);
                      for (int i = 0; i < entries; ++i)
                          lang.AppendEntry(d, "e", LanguageValue("text"), "Label");
                  }) /
           entries;
}

} // namespace

int main() {
    const std::string file =
        (std::filesystem::temp_directory_path() / ("tvk-bench-language-" + std::to_string(getpid()) + ".xml")).string();
    const clsLanguage source = bigLanguage();
    const double save = bestOf(3, [&] { source.SaveXML(file); });
    const double parse = bestOf(5, [&] {
        xmlDoc* doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET);
        if (!doc) std::abort();
        xmlFreeDoc(doc);
    });
    const double load = bestOf(5, [&] {
        clsLanguage lang;
        lang.LoadXML(file);
        if (lang.databaseCount() != 200) std::abort();
    });

    std::string hostile = "<language name=\"n\" version=\"v\"><database name=\"d\" process=\"1\"";
    for (int i = 0; i < 200000; ++i)
        hostile += " a" + std::to_string(i) + "=\"v\"";
    hostile += "/></language>";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out || std::fwrite(hostile.data(), 1, hostile.size(), out) != hostile.size() || std::fclose(out) != 0) {
        std::abort();
    }
    const double refusal = bestOf(3, [&] {
        clsLanguage lang;
        bool refused = false;
        lang.setParseErrorHandler([&](const std::string&) { refused = true; });
        lang.LoadXML(file);
        if (!refused) std::abort();
    });
    std::filesystem::remove(file);

    std::printf("load_vs_parse: %.2f x\n", load / parse);
    std::printf("save_vs_parse: %.2f x\n", save / parse);
    std::printf("hostile_refusal_vs_parse: %.5f x\n", refusal / parse);
    std::printf("append_cost_100k_vs_1k: %.2f x\n", perEntryAppendCost(100000) / perEntryAppendCost(1000));
    return 0;
}
