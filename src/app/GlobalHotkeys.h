#pragma once

#include "recorder/CommandKeyFilter.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tvk {

// The opt-in global hotkeys: their combinations come from the settings store ("Hotkeys" /
// "Enabled", "Record", "Replay", "StopReplay", in portable key-sequence text such as "Ctrl+F9"),
// are grabbed through the backend, and are polled while the program runs, its recording and
// replay loops included.
class GlobalHotkeys : public QObject {
public:
    enum class Command { ToggleRecording = 1, StartReplay = 2, StopReplay = 3 };

    explicit GlobalHotkeys(std::shared_ptr<InputBackend> backend, QObject* parent = nullptr);
    ~GlobalHotkeys() override;

    // Runs for each hotkey pressed, after the poll that saw it has returned.
    std::function<void(Command)> onCommand;
    // Runs after every apply, with the combinations now grabbed.
    std::function<void(const std::vector<CommandKeyFilter::Combination>&)> onApplied;

    // Gives back every grab, then grabs what the settings enable. Returns the combinations
    // another program holds ("Ctrl+F9"); the others work.
    QStringList apply();
    // Applies the settings again in every instance (after the settings window stored them).
    static QStringList applyAll();
    // Takes the presses the backend saw and runs their commands.
    void poll();
    // The virtual keys of a command's combination: the key and both codes of each modifier.
    std::vector<int32_t> keysOf(Command command) const;

    static QString settingName(Command command);
    static QString defaultSequence(Command command);

private:
    struct Binding {
        int32_t vk = 0;
        uint32_t modifiers = 0;
    };
    std::shared_ptr<InputBackend> m_backend;
    QTimer m_timer;
    Binding m_bindings[4];
};

// The virtual key and modifier bits of a key sequence's first combination; vk 0 when the key has
// no virtual-key code here.
std::pair<int32_t, uint32_t> virtualKeyOfSequence(const QString& portableText);

} // namespace tvk
