#include "app/Messages.h"

#include "app/modMain.h"
#include "events/RuntimeError.h"
#include "language/clsLanguage.h"

#include <cstring>

namespace tvk {

const std::vector<std::pair<const char*, const char*>>& statusMessages() {
    static const std::vector<std::pair<const char*, const char*>> texts{
        // pass, number of passes (or the infinity sign), event number
        {"StatusReplaying", "Replaying: pass %1 / %2, event %3"},
        {"StatusStoppedByUser", "The replay was stopped by the user."},
        // elapsed time (minutes:seconds), number of events
        {"StatusRecording", "Recording: %1, %2 events"},
        // the key combinations another program holds
        {"HotkeyTaken", "Another program already uses %1, so it does not work as a hotkey here. "
                        "Choose another combination in the settings."},
    };
    return texts;
}

QString messageText(const char* name) {
    try {
        const std::string text = language().EntryValue(std::string("Messages"), std::string(name)).text();
        if (!text.empty()) return QString::fromStdString(text);
    } catch (const RuntimeError&) {
        // a language without the entry (or with an array there) shows the English wording
    }
    for (const auto& [key, english] : statusMessages()) {
        if (std::strcmp(key, name) == 0) return QString::fromUtf8(english);
    }
    return {};
}

} // namespace tvk
