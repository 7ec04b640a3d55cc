#include "app/tools/EnglishLanguage.h"

#include "app/Messages.h"
#include "app/filters/FilterMessages.h"
#include "app/filters/frmFilters.h"
#include "app/main/frmMain.h"
#include "app/modMain.h"
#include "app/replay/frmReplay.h"
#include "app/settings/frmSettings.h"
#include "language/clsLanguage.h"
#include "recorder/simulated/SimulatedBackend.h"

namespace tvk {

void buildEnglishLanguage(clsLanguage& target) {
    target.ClearDatabases();
    target.LanguageName = "English";
    target.LanguageVersion = "1.0";

    auto* main = new frmMain(std::make_shared<SimulatedBackend>());
    auto* replay = new frmReplay(main);
    auto* filters = new frmFilters();
    auto* settingsWindow = new frmSettings();
    for (Form* form : std::initializer_list<Form*>{main, replay, filters, settingsWindow})
        target.AppendForm(*form, kTranslatedKinds);

    const int32_t messages = target.AppendDatabase("Messages", false);
    target.AppendEntry(messages, "AboutText",
                       "Tavrimoskel records your keyboard and mouse input and plays it back.\r\n\r\n"
                       "Choose Record in the Events menu (Ctrl+R) to start and again to stop; "
                       "Replay (Ctrl+E) plays the events back.");
    target.AppendEntry(messages, "AboutTitle", "About Tavrimoskel");
    for (const auto& [name, text] : statusMessages())
        target.AppendEntry(messages, name, text);
    for (const auto& [name, text] : filterMessages())
        target.AppendEntry(messages, name, text);
    target.AppendEntry(messages, "KeyNotRecorded", "1 key could not be recorded");
    target.AppendEntry(messages, "KeysNotRecorded", "%1 keys could not be recorded");
    target.AppendEntry(messages, "MouseWheel", "MouseWheel");

    delete settingsWindow;
    delete filters;
    delete main; // the replay window goes with its owner
}

} // namespace tvk
