#include "app/tools/EnglishLanguage.h"

#include "app/Messages.h"
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
    for (const MessageText& text : messageTexts())
        target.AppendEntry(messages, text.name, text.english);

    delete settingsWindow;
    delete filters;
    delete main; // the replay window goes with its owner
}

} // namespace tvk
