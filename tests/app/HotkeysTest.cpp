#include "AppTestSupport.h"

#include "app/GlobalHotkeys.h"
#include "app/HotkeyCommands.h"
#include "app/main/frmMain.h"
#include "app/modMain.h"
#include "app/replay/frmReplay.h"
#include "events/clsEvents.h"
#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"
#include "recorder/simulated/SimulatedBackend.h"
#include "support/clsSettings.h"

#include <QAction>
#include <QLineEdit>
#include <QPointer>

namespace tvk {
namespace {

constexpr int32_t kF9 = vk::F1 + 8, kF10 = vk::F1 + 9, kF11 = vk::F1 + 10;

class HotkeysTest : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        backend = std::make_shared<SimulatedBackend>();
        settings().setSetting("Hotkeys", "Enabled", "1");
        main = new frmMain(backend);
        main->show();
    }
    void TearDown() override {
        delete main.data();
        AppFixture::TearDown();
    }
    GlobalHotkeys* hotkeys() const {
        for (QObject* child : main->children())
            if (auto* h = dynamic_cast<GlobalHotkeys*>(child)) return h;
        return nullptr;
    }
    // The user presses Ctrl + key now (a hotkey the backend reports), then lets go.
    void pressCtrl(int32_t key) {
        backend->setKeyDown(vk::LControl, true);
        backend->setKeyDown(key, true);
        backend->setKeyDown(key, false);
        backend->setKeyDown(vk::LControl, false);
    }
    // The same pressed at virtual time atMs, seen by the poll that follows it.
    void scheduleCtrl(int64_t atMs, int32_t key) {
        backend->scheduleKey(atMs, vk::LControl, true);
        backend->scheduleKey(atMs + 10, key, true);
        backend->scheduleAction(atMs + 15, [this] { hotkeys()->poll(); });
    }

    std::shared_ptr<SimulatedBackend> backend;
    QPointer<frmMain> main;
};

TEST_F(HotkeysTest, RecordHotkeyStartsAndStopsARecordingThatHoldsNoneOfItsKeys) {
    installGlobalHotkeys(main, backend);
    main->document()->recorder()->setOwnInputTest({}); // the user types into another program
    ASSERT_NE(hotkeys(), nullptr);
    pressCtrl(kF9);
    hotkeys()->poll();
    const int64_t t = 0;
    backend->scheduleKey(t + 20, 'H', true);
    backend->scheduleKey(t + 30, 'H', false);
    scheduleCtrl(t + 100, kF9);    // the stop, while the recording runs
    QApplication::processEvents(); // runs the queued command: the recording, until the stop
    EXPECT_FALSE(main->document()->recorder()->isRecording());
    EXPECT_FALSE(main->action("mnuRecord")->isChecked());
    std::vector<std::pair<int32_t, bool>> keys;
    for (int32_t i = 0; i < main->document()->events()->EventCount; ++i)
        if (main->document()->events()->EventType(i) == KeyBoard)
            keys.emplace_back(main->document()->events()->EventData(i),
                              main->document()->events()->EventPressed(i) != 0);
    EXPECT_EQ(keys, (std::vector<std::pair<int32_t, bool>>{{'H', true}, {'H', false}}));
}

TEST_F(HotkeysTest, NoHotkeyPressedAroundOrDuringARecordingIsRecorded) {
    installGlobalHotkeys(main, backend);
    main->document()->recorder()->setOwnInputTest({});
    // Ctrl+F9 starts the recording and is still held when it starts.
    backend->setKeyDown(vk::LControl, true);
    backend->setKeyDown(kF9, true);
    hotkeys()->poll();
    backend->scheduleKey(5, kF9, false);
    backend->scheduleKey(8, vk::LControl, false);
    backend->scheduleKey(15, 'H', true);
    backend->scheduleKey(25, 'H', false);
    for (const auto& [at, key] : {std::pair{45, kF10}, std::pair{95, kF11}}) {
        scheduleCtrl(at, key); // replay and stop replay, which do nothing while recording
        backend->scheduleKey(at + 20, key, false);
        backend->scheduleKey(at + 30, vk::LControl, false);
    }
    scheduleCtrl(145, kF9);
    QApplication::processEvents();
    ASSERT_FALSE(main->document()->recorder()->isRecording());
    std::vector<std::pair<int32_t, bool>> keys;
    const auto& events = *main->document()->events();
    for (int32_t i = 0; i < events.EventCount; ++i)
        if (events.EventType(i) == KeyBoard) keys.emplace_back(events.EventData(i), events.EventPressed(i) != 0);
    EXPECT_EQ(keys, (std::vector<std::pair<int32_t, bool>>{{'H', true}, {'H', false}}));
}

TEST_F(HotkeysTest, ReplayHotkeysStartWithTheLastValuesAndStopWithoutClosing) {
    for (int i = 0; i < 3; ++i)
        main->document()->events()->AddEvent(KeyBoard, true, 0, 0, 'A' + i);
    installGlobalHotkeys(main, backend);
    main->mnuReplay_Click();
    QPointer<frmReplay> replay = main->replayWindow();
    replay->input(0)->setText("1");
    replay->input(1)->setText("1");
    replay->input(2)->setText("5");
    replay->cmdStart_Click(); // remembers 1, 1, 5
    replay->input(0)->setText("0");
    replay->input(2)->setText("0");
    backend->clearInjections();

    pressCtrl(kF10);
    // Six passes of event 1; the stop hotkey, pressed in the third, is seen at the next yield (the
    // fifth pass's start, 12 ms after the yield in the third).
    int seen = 0;
    auto c = main->document()->recorder()->ExecutingEvent.connect([&](int32_t index, bool&) {
        EXPECT_EQ(index, 1);
        backend->advance(std::chrono::milliseconds(6)); // each event takes a while, so the replay yields
        if (++seen == 3) {
            backend->setKeyDown(vk::LControl, true);
            backend->setKeyDown(kF11, true);
            hotkeys()->poll();
        }
    });
    hotkeys()->poll();
    QApplication::processEvents();
    c.disconnect();
    EXPECT_EQ(seen, 4) << "the last values came back, and the stop came at the next yield";
    ASSERT_FALSE(replay.isNull()) << "stopping leaves the window open";
    EXPECT_FALSE(replay->isReplaying());
}

TEST_F(HotkeysTest, ACombinationAnotherProgramHoldsIsNamedAndTheOthersWork) {
    backend->holdElsewhere(kF10, modifier::Control);
    QString message;
    test::acceptNextMessage(&message);
    installGlobalHotkeys(main, backend);
    EXPECT_TRUE(message.contains("Ctrl+F10")) << message.toStdString();
    EXPECT_FALSE(message.contains("F9")) << message.toStdString();
    EXPECT_EQ(backend->grabHotkey(9, kF9, modifier::Control), HotkeyGrab::Grabbed) << "F9 grabbed, not held";

    // Off by default: nothing is grabbed, nothing is polled.
    settings().setSetting("Hotkeys", "Enabled", "0");
    GlobalHotkeys::applyAll();
    pressCtrl(kF9);
    hotkeys()->poll();
    QApplication::processEvents();
    EXPECT_FALSE(main->action("mnuRecord")->isChecked());
}

TEST(HotkeySequenceTest, PortableTextBecomesAVirtualKeyAndModifiers) {
    const std::vector<std::tuple<QString, int32_t, uint32_t>> cases{
        {"Ctrl+F9", kF9, modifier::Control},
        {"Shift+Alt+A", 'A', modifier::Shift | modifier::Alt},
        {"Ctrl+;", vk::Oem1, modifier::Control},
        {"Pause", vk::Pause, 0},
        {"Ctrl+Shift+5", '5', modifier::Control | modifier::Shift},
        {"", 0, 0},
        {"Ctrl+\u00e9", 0, modifier::Control},
    };
    for (const auto& [text, key, mods] : cases) {
        const auto [gotKey, gotMods] = virtualKeyOfSequence(text);
        EXPECT_EQ(gotKey, key) << text.toStdString();
        if (key != 0) {
            EXPECT_EQ(gotMods, mods) << text.toStdString();
        }
    }
}

} // namespace
} // namespace tvk
