#include "app/GlobalHotkeys.h"

#include "app/modMain.h"
#include "recorder/InputBackend.h"
#include "recorder/KeyNames.h"
#include "recorder/VirtualKeys.h"
#include "support/clsSettings.h"

#include <QKeySequence>

#include <algorithm>

namespace tvk {

namespace {

using namespace std::chrono_literals;

// Often enough that a hotkey feels immediate; idle, the program wakes 30 times a second.
constexpr auto kPollPeriod = 30ms;

std::vector<GlobalHotkeys*>& instances() {
    static std::vector<GlobalHotkeys*> list;
    return list;
}

constexpr GlobalHotkeys::Command kCommands[] = {
    GlobalHotkeys::Command::ToggleRecording, GlobalHotkeys::Command::StartReplay, GlobalHotkeys::Command::StopReplay};

int32_t virtualKeyOfQtKey(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return vk::F1 + (key - Qt::Key_F1);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
    switch (key) {
    case Qt::Key_Pause:
        return vk::Pause;
    case Qt::Key_Insert:
        return vk::Insert;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_Home:
        return vk::Home;
    case Qt::Key_End:
        return vk::End;
    case Qt::Key_PageUp:
        return vk::Prior;
    case Qt::Key_PageDown:
        return vk::Next;
    case Qt::Key_Space:
        return vk::Space;
    case Qt::Key_Print:
        return vk::Snapshot;
    case Qt::Key_ScrollLock:
        return vk::Scroll;
    default:
        // Punctuation by the US-layout character it names.
        return key > 0x20 && key < 0x7F ? virtualKeyOfCharacter(static_cast<char32_t>(key)) : 0;
    }
}

} // namespace

std::pair<int32_t, uint32_t> virtualKeyOfSequence(const QString& portableText) {
    const QKeySequence sequence = QKeySequence::fromString(portableText, QKeySequence::PortableText);
    if (sequence.isEmpty()) return {0, 0};
    const QKeyCombination combination = sequence[0];
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    uint32_t bits = 0;
    if (mods & Qt::ShiftModifier) bits |= modifier::Shift;
    if (mods & Qt::ControlModifier) bits |= modifier::Control;
    if (mods & Qt::AltModifier) bits |= modifier::Alt;
    return {virtualKeyOfQtKey(combination.key()), bits};
}

GlobalHotkeys::GlobalHotkeys(std::shared_ptr<InputBackend> backend, QObject* parent)
    : QObject(parent), m_backend(std::move(backend)) {
    instances().push_back(this);
    connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
}

GlobalHotkeys::~GlobalHotkeys() {
    std::erase(instances(), this);
    if (m_backend) m_backend->releaseHotkeys();
}

QString GlobalHotkeys::settingName(Command command) {
    switch (command) {
    case Command::ToggleRecording:
        return QStringLiteral("Record");
    case Command::StartReplay:
        return QStringLiteral("Replay");
    case Command::StopReplay:
        return QStringLiteral("StopReplay");
    }
    return {};
}

QString GlobalHotkeys::defaultSequence(Command command) {
    switch (command) {
    case Command::ToggleRecording:
        return QStringLiteral("Ctrl+F9");
    case Command::StartReplay:
        return QStringLiteral("Ctrl+F10");
    case Command::StopReplay:
        return QStringLiteral("Ctrl+F11");
    }
    return {};
}

QStringList GlobalHotkeys::apply() {
    QStringList taken;
    m_backend->releaseHotkeys();
    for (auto& binding : m_bindings)
        binding = {};
    const bool enabled =
        settings().Setting(QStringLiteral("Hotkeys"), QStringLiteral("Enabled"), QStringLiteral("0")) == "1";
    if (!enabled) {
        m_timer.stop();
        if (onApplied) onApplied({});
        return taken;
    }
    for (Command command : kCommands) {
        const QString text =
            settings().Setting(QStringLiteral("Hotkeys"), settingName(command), defaultSequence(command));
        const auto [key, mods] = virtualKeyOfSequence(text);
        if (key == 0) continue; // empty, or a key this program cannot name: no hotkey
        const auto id = static_cast<int32_t>(command);
        if (m_backend->grabHotkey(id, key, mods) == HotkeyGrab::Taken) {
            taken << QKeySequence::fromString(text, QKeySequence::PortableText).toString(QKeySequence::NativeText);
            continue;
        }
        m_bindings[id] = {key, mods};
    }
    m_timer.start(kPollPeriod);
    if (onApplied) {
        std::vector<CommandKeyFilter::Combination> grabbed;
        for (const Binding& binding : m_bindings)
            if (binding.vk != 0) grabbed.push_back({binding.vk, binding.modifiers});
        onApplied(grabbed);
    }
    return taken;
}

QStringList GlobalHotkeys::applyAll() {
    QStringList taken;
    for (GlobalHotkeys* hotkeys : instances())
        taken << hotkeys->apply();
    return taken;
}

void GlobalHotkeys::poll() {
    for (int32_t id : m_backend->takeHotkeyPresses()) {
        if (id < 1 || id > 3) continue;
        // Queued, so that a recording or replay the command starts does not run inside this poll
        // (the timer would not fire again until it ended).
        QTimer::singleShot(0, this, [this, id] {
            if (onCommand) onCommand(static_cast<Command>(id));
        });
    }
}

std::vector<int32_t> GlobalHotkeys::keysOf(Command command) const {
    const Binding& binding = m_bindings[static_cast<int>(command)];
    if (binding.vk == 0) return {};
    std::vector<int32_t> keys{binding.vk};
    if (binding.modifiers & modifier::Shift) keys.insert(keys.end(), {vk::Shift, vk::LShift, vk::RShift});
    if (binding.modifiers & modifier::Control) keys.insert(keys.end(), {vk::Control, vk::LControl, vk::RControl});
    if (binding.modifiers & modifier::Alt) keys.insert(keys.end(), {vk::Menu, vk::LMenu, vk::RMenu});
    return keys;
}

} // namespace tvk
