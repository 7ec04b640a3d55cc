#include "app/Messages.h"

#include "app/modMain.h"
#include "events/RuntimeError.h"
#include "language/clsLanguage.h"

#include <cstring>
#include <string>

namespace tvk {

namespace {

// Placeholders %1, %2, ... are filled in by the caller in the order each comment names.
constexpr MessageText kTexts[] = {
    {"AboutText", "Tavrimoskel records your keyboard and mouse input and plays it back.\r\n\r\n"
                  "Choose Record in the Events menu (Ctrl+R) to start and again to stop; "
                  "Replay (Ctrl+E) plays the events back."},
    {"AboutTitle", "About Tavrimoskel"},
    // Main window
    {"Recording", "Recording ..."},
    {"Replaying", "Replaying ..."},
    {"OpenTitle", "Open input"},
    {"SaveTitle", "Save input"},
    {"FileFilter", "Input-file (*.tvk)"},
    {"FileError", "%1\r\n\r\n%2"},                // file, why
    {"RuntimeError", "Run-time error %1:\r\n%2"}, // number, description
    {"SaveChanges", "Save changes?"},
    {"SaveChangesDetail", "The events in %1 were changed since they were last saved."}, // file name
    {"Untitled", "Untitled"},
    {"SaveButton", "&Save"},
    {"DiscardButton", "&Discard"},
    {"CancelButton", "Cancel"},
    {"OkButton", "OK"},
    {"YesButton", "&Yes"},
    {"NoButton", "&No"},
    // Replay window
    {"NotAvailable", "N/A"},
    {"CompileError", "The filter script cannot be compiled.\r\n\r\nError %1: %2\r\nLine %3, column %4"},
    {"ReplayStopped", "The replay stopped.\r\n\r\nRun-time error %1: %2"}, // number, description
    // Settings window
    {"DetailRange", "The mouse detail must be a whole number from -2147483648 to 2147483647."},
    // Language files and start-up
    {"LanguageIncomplete", "The language file could not be read completely.\r\nRun-time error %1: %2"},
    {"LanguageError", "Error"},
    {"NoDesktop", "Tavrimoskel records and replays input on an X11 desktop, and cannot use this one:\r\n%1"},
    // Status bar while a replay or a recording runs
    {"StatusReplaying", "Replaying: pass %1 / %2, event %3"}, // pass, passes (or the infinity sign), event
    {"StatusStoppedByUser", "The replay was stopped by the user."},
    {"StatusRecording", "Recording: %1, %2 events"}, // elapsed minutes:seconds, number of events
    {"KeyNotRecorded", "1 key could not be recorded"},
    {"KeysNotRecorded", "%1 keys could not be recorded"}, // number of keys
    {"MouseWheel", "MouseWheel"},                         // the event type's name in the list
    // Global hotkeys
    {"HotkeyTaken", "Another program already uses %1, so it does not work as a hotkey here. "
                    "Choose another combination in the settings."}, // the key combinations
    // Filters window: the compile error mark and the trial
    {"FilterErrorAt", "Line %1, column %2: error %3, %4"}, // line, column, number, description
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

} // namespace

std::span<const MessageText> messageTexts() {
    return kTexts;
}

QString message(const char* name) {
    const char* english = "";
    for (const MessageText& t : kTexts)
        if (std::strcmp(t.name, name) == 0) english = t.english;
    std::string text;
    try {
        text = language().EntryValue(std::string("Messages"), std::string(name)).text();
    } catch (const RuntimeError&) {
        // an array where a text belongs: the English text
    }
    // The language files keep CR LF line breaks; a window shows LF.
    QString out = QString::fromStdString(text.empty() ? std::string(english) : text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

} // namespace tvk
