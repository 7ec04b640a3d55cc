#include "app/filters/FilterMessages.h"

#include "app/modMain.h"
#include "events/RuntimeError.h"
#include "language/clsLanguage.h"

#include <cstring>

namespace tvk {

const std::vector<std::pair<const char*, const char*>>& filterMessages() {
    static const std::vector<std::pair<const char*, const char*>> messages{
        {"FilterErrorAt", "Line %1, column %2: error %3, %4"},
        {"FilterTryTitle", "Try the filter"},
        {"FilterTrySummary", "%1 of %2 events would run, %3 would be skipped."},
        {"FilterTryOff", "Filtering is off: a replay runs every event. These are the verdicts with filtering on."},
        {"FilterTryNoFunction", "The script has no ElementInvoked function: every event runs."},
        {"FilterTryStopped", "The trial stopped after %1 events: it took too long."},
        {"FilterTryRuns", "runs"},
        {"FilterTrySkipped", "skipped"},
        {"FilterTryFailed", "runs (error %1: %2)"},
        {"FilterTryMessage", "Message: %1"},
        {"FilterTryClose", "&Close"},
    };
    return messages;
}

QString filterMessage(const char* name) {
    try {
        const std::string text = language().EntryValue(std::string("Messages"), std::string(name)).text();
        if (!text.empty()) return QString::fromStdString(text);
    } catch (const RuntimeError&) {
        // An array where a text belongs: the English text stands in.
    }
    for (const auto& [key, english] : filterMessages())
        if (std::strcmp(key, name) == 0) return QString::fromUtf8(english);
    return {};
}

} // namespace tvk
