#include "app/HotkeyCommands.h"

#include "app/Document.h"
#include "app/GlobalHotkeys.h"
#include "app/Messages.h"
#include "app/main/frmMain.h"
#include "app/replay/frmReplay.h"
#include "events/clsEvents.h"
#include "recorder/clsRecorder.h"

#include <QAction>
#include <QMessageBox>
#include <QPointer>

namespace tvk {

namespace {

void runCommand(frmMain& main, const GlobalHotkeys& hotkeys, GlobalHotkeys::Command command) {
    const auto recorder = main.document()->recorder();
    frmReplay* replay = main.replayWindow();
    const bool replaying = replay && replay->isReplaying();
    switch (command) {
    case GlobalHotkeys::Command::ToggleRecording:
        if (recorder->isRecording()) {
            // As Record does when chosen again, and the hotkey's own keys leave the recording.
            main.action("mnuRecord")->setChecked(false);
            recorder->StopProcess(hotkeys.keysOf(command));
            main.setActivityText(QString());
        } else if (!replaying) {
            // The hotkey's keys still held when the recording starts leave no release in it.
            recorder->setStartGesture(hotkeys.keysOf(command));
            main.action("mnuRecord")->trigger();
            recorder->setStartGesture({});
        }
        break;
    case GlobalHotkeys::Command::StartReplay:
        if (recorder->isRecording() || replaying || main.document()->events()->EventCount == 0) break;
        main.mnuReplay_Click();
        if (frmReplay* window = main.replayWindow()) window->startWithLastValues();
        break;
    case GlobalHotkeys::Command::StopReplay:
        if (replaying) replay->stopReplay();
        break;
    }
}

} // namespace

void installGlobalHotkeys(frmMain* window, std::shared_ptr<InputBackend> backend) {
    auto* hotkeys = new GlobalHotkeys(std::move(backend), window);
    QPointer<frmMain> main(window);
    hotkeys->onCommand = [main, hotkeys](GlobalHotkeys::Command command) {
        if (main) runCommand(*main, *hotkeys, command);
    };
    // Whatever the settings make a hotkey stays out of recordings.
    hotkeys->onApplied = [main](const std::vector<CommandKeyFilter::Combination>& combinations) {
        if (main) main->document()->recorder()->setCommandKeys(combinations);
    };
    const QStringList taken = hotkeys->apply();
    if (!taken.isEmpty())
        QMessageBox::warning(window, window->windowTitle(), message("HotkeyTaken").arg(taken.join(", ")));
}

} // namespace tvk
