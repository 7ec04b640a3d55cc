#include "AppTestSupport.h"

#include "app/main/frmMain.h"
#include "app/replay/frmReplay.h"
#include "events/clsEvents.h"
#include "language/clsLanguage.h"
#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"
#include "recorder/simulated/SimulatedBackend.h"
#include "support/clsSettings.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace tvk {
namespace {

using test::acceptNextMessage;

class ReplayWindowTest : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        backend = std::make_shared<SimulatedBackend>();
        main = new frmMain(backend);
        main->show();
    }
    void TearDown() override {
        delete main.data();
        AppFixture::TearDown();
    }
    frmReplay* open() {
        main->mnuReplay_Click();
        return main->replayWindow();
    }
    // Key events whose data is 65 + index, so the injections tell which events ran.
    void addKeys(int n) {
        for (int i = 0; i < n; ++i) {
            const int32_t e = main->document()->events()->AddEvent(KeyBoard, true, 0, 0, 65 + i);
            main->document()->events()->setEventTime(e, 1000 + 100 * i);
        }
    }
    std::vector<int32_t> injectedKeyDowns() const {
        std::vector<int32_t> out;
        for (const auto& in : backend->injections())
            if (in.kind == SimulatedBackend::Injection::Kind::Key && in.down) out.push_back(in.code);
        return out;
    }
    void setFilter(const std::string& script) {
        main->document()->events()->ElementProcessor = script;
        main->document()->events()->EnableProcessor = VbTrue;
    }

    std::shared_ptr<SimulatedBackend> backend;
    QPointer<frmMain> main;
};

TEST_F(ReplayWindowTest, WindowStartsWithItsDesignTexts) {
    frmReplay* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Replay");
    EXPECT_EQ(w->input(0)->text(), "-1");
    EXPECT_EQ(w->input(1)->text(), "-1");
    EXPECT_EQ(w->input(2)->text(), "0");
    EXPECT_TRUE(w->startButton()->isDefault());
    EXPECT_TRUE(w->isModal());
    std::vector<std::string> names;
    for (FormControl* c : w->controls())
        names.push_back(c->name());
    EXPECT_EQ(names,
              (std::vector<std::string>{"cmdStart", "cmdCancel", "lblStart", "lblEndIndex", "lblLoops", "txtInput",
                                        "txtInput", "txtInput", "lblEstimatedTime", "lblSpeed", "txtSpeed"}));
    EXPECT_EQ(w->speedBox()->text(), "1");
}

TEST_F(ReplayWindowTest, CapturingEveryControlGivesTheCaptionThenEachControlsText) {
    frmReplay* w = open();
    clsLanguage captured;
    captured.AppendForm(*w, "*");
    const auto& db = captured.databases().at(0);
    EXPECT_EQ(db.Name, "frmReplay");
    const std::vector<std::array<std::string, 3>> expected = {
        {"Caption", "Property", "Replay"},
        {"cmdStart", "CommandButton", "&Start"},
        {"cmdCancel", "CommandButton", "&Cancel"},
        {"lblStart", "Label", "Start &index:"},
        {"lblEndIndex", "Label", "&End index:"},
        {"lblLoops", "Label", "&Loops (-1 is infinite):"},
        {"txtInput", "TextBox", "-1"},
        {"txtInput", "TextBox", "-1"},
        {"txtInput", "TextBox", "0"},
        {"lblEstimatedTime", "Label", "&Estimated run time: 00:00:00:0000"},
        {"lblSpeed", "Label", "Spee&d:"},
        {"txtSpeed", "TextBox", "1"},
    };
    ASSERT_EQ(db.Entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(db.Entries[i].Name, expected[i][0]);
        EXPECT_EQ(db.Entries[i].Type, expected[i][1]);
        EXPECT_EQ(db.Entries[i].Value.text(), expected[i][2]);
    }
}

TEST_F(ReplayWindowTest, EstimateTexts) {
    main->document()->events()->AddEvent(Wait, false, 0, 0, 0);
    main->document()->events()->AddEvent(Wait, false, 0, 0, 0);
    main->document()->events()->setEventTime(0, 1000);
    main->document()->events()->setEventTime(1, 4500);
    frmReplay* w = open();
    EXPECT_EQ(w->estimateCaption(), "&Estimated run time: 00:00:03:0500");
    w->input(2)->setText("2");
    EXPECT_EQ(w->estimateCaption(), "&Estimated run time: 00:00:10:0500");
    w->input(2)->setText("-1");
    EXPECT_EQ(w->estimateCaption(), "&Estimated run time: N/A");
    w->input(2)->setText("0");
    w->input(1)->setText("7"); // an end beyond the list counts as time 0
    EXPECT_EQ(w->estimateCaption(), "&Estimated run time: 00:00:-01:0000");
    // Beyond 32 bits of milliseconds the estimate is still shown in full.
    w->input(2)->setText("999999999");
    w->input(1)->setText("-1");
    EXPECT_EQ(w->estimateCaption(), "&Estimated run time: 972222:13:20:0000");
    w->input(2)->setText("9999999999999999999999");
    EXPECT_EQ(w->estimateCaption(), "&Estimated run time: N/A");
}

TEST_F(ReplayWindowTest, SpeedDividesTheEstimateAcceptsTheLocaleDecimalAndIsStored) {
    main->document()->events()->AddEvent(Wait, false, 0, 0, 0);
    main->document()->events()->AddEvent(Wait, false, 0, 0, 0);
    main->document()->events()->setEventTime(0, 1000);
    main->document()->events()->setEventTime(1, 4500);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    frmReplay* w = open();
    struct Case {
        const char* text;
        double speed;
        const char* estimate;
    };
    const std::vector<Case> cases{
        {"2", 2, "00:00:01:0750"},    {"2,5", 2.5, "00:00:01:0400"}, {" 0.5 ", 0.5, "00:00:07:0000"},
        {"100", 10, "00:00:00:0350"}, {"0", 0.1, "00:00:35:0000"},   {"fast", 1, "00:00:03:0500"},
        {"", 1, "00:00:03:0500"},
    };
    for (const auto& c : cases) {
        w->speedBox()->setText(QString::fromLatin1(c.text));
        EXPECT_DOUBLE_EQ(w->speed(), c.speed) << c.text;
        EXPECT_EQ(w->estimateCaption(), QStringLiteral("&Estimated run time: ") + QString::fromLatin1(c.estimate))
            << c.text;
    }
    QLocale::setDefault(before);
    w->speedBox()->setText("4");
    w->cmdStart_Click();
    EXPECT_DOUBLE_EQ(main->document()->recorder()->speed(), 4) << "Start replays at the box's speed";
    EXPECT_EQ(settings().Setting("Replay", "Speed"), "4") << "the speed is kept for the next start";
}

TEST_F(ReplayWindowTest, EmptyListEstimatesZeroAndStartReturnsAtOnce) {
    frmReplay* w = open();
    EXPECT_EQ(w->estimateCaption(), "&Estimated run time: 00:00:00:0000");
    w->cmdStart_Click();
    EXPECT_TRUE(backend->injections().empty());
    EXPECT_EQ(main->activityText(), "");
    EXPECT_TRUE(w->startButton()->isEnabled());
}

TEST_F(ReplayWindowTest, OnlyDigitsMinusAndBackspaceCanBeTyped) {
    frmReplay* w = open();
    QLineEdit* box = w->input(0);
    box->clear();
    QTest::keyClicks(box, "a1-b2 .x");
    EXPECT_EQ(box->text(), "1-2");
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->text(), "1-");
    // Delete edits the text like Backspace: on X11 it arrives carrying the DEL character.
    box->setCursorPosition(0);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QStringLiteral("\x7f"));
    QApplication::sendEvent(box, &del);
    EXPECT_EQ(box->text(), "-");
    // Tab is no typed character: it still moves on, through the controls in their designed order.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_EQ(test::tabOrderFrom(w->startButton(), 6),
              (QStringList{"cmdStart", "cmdCancel", "txtInput", "txtInput", "txtInput", "txtSpeed", "cmdStart"}));
    EXPECT_EQ(test::tabOrderFrom(box, 1), (QStringList{"txtInput", "txtInput"}));
    EXPECT_TRUE(w->input(1)->hasFocus());
}

TEST_F(ReplayWindowTest, EnterWorksTheFocusedButtonAndStartKeepsTheFocusThroughAReplay) {
    addKeys(2);
    frmReplay* w = open();
    QPointer<frmReplay> guard(w);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    auto* cancel = w->findChild<QPushButton*>("cmdCancel");
    ASSERT_NE(cancel, nullptr);
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    EXPECT_TRUE(injectedKeyDowns().empty());
    // Away from the buttons Enter still works the default button, Start.
    w = open();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    w->input(2)->setFocus();
    QTest::keyClick(w->input(2), Qt::Key_Return);
    EXPECT_EQ(injectedKeyDowns(), (std::vector<int32_t>{65, 66}));
    // Start keeps the focus through a replay it started, so Enter replays again.
    w->startButton()->setFocus();
    QTest::keyClick(w->startButton(), Qt::Key_Return);
    EXPECT_TRUE(w->startButton()->hasFocus());
    QTest::keyClick(w->startButton(), Qt::Key_Return);
    EXPECT_EQ(injectedKeyDowns(), (std::vector<int32_t>{65, 66, 65, 66, 65, 66}));
}

TEST_F(ReplayWindowTest, AfterAReplayThatMovedTheFocusAwayEnterStartsAgainAndEscapeCancels) {
    addKeys(2);
    frmReplay* w = open();
    QPointer<frmReplay> guard(w);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    w->startButton()->setFocus();
    // The replay clicks into another program's window, which takes the focus.
    QWidget other;
    other.resize(100, 100);
    auto c = main->document()->recorder()->ExecutingEvent.connect([&](int32_t index, bool&) {
        if (index != 0 || other.isVisible()) return;
        other.show();
        other.activateWindow();
        (void)QTest::qWaitForWindowActive(&other); // the replay goes on either way
    });
    QTest::keyClick(w->startButton(), Qt::Key_Return);
    c.disconnect();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w)) << "the window takes the keyboard back";
    EXPECT_TRUE(w->startButton()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(injectedKeyDowns(), (std::vector<int32_t>{65, 66, 65, 66}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

TEST_F(ReplayWindowTest, TheUsersStopKeyEndsAnEndlessReplayAndTheStatusBarSaysSo) {
    addKeys(2);
    frmReplay* w = open();
    w->input(2)->setText("-1");
    auto c = main->document()->recorder()->ExecutingEvent.connect(
        [&](int32_t, bool&) { backend->advance(std::chrono::milliseconds(3)); });
    backend->scheduleKey(100, vk::Escape, true); // the user's press, on any window
    backend->scheduleKey(105, vk::Escape, false);
    w->cmdStart_Click(); // returns only because the stop key ended it
    c.disconnect();
    EXPECT_EQ(main->activityText(), "The replay was stopped by the user.");
    EXPECT_TRUE(w->isVisible()) << "the window stays open for another start";
    const double endMs = std::chrono::duration<double, std::milli>(backend->monotonicNow()).count();
    EXPECT_LE(endMs, 115.0) << "within a slice of the press";
}

TEST_F(ReplayWindowTest, StartReplaysTheRangeForEachPass) {
    addKeys(4);
    frmReplay* w = open();
    w->input(0)->setText("1");
    w->input(1)->setText("2");
    w->input(2)->setText("2");
    QString during;
    auto c =
        main->document()->recorder()->ExecutingEvent.connect([&](int32_t, bool&) { during = main->activityText(); });
    w->cmdStart_Click();
    c.disconnect();
    EXPECT_EQ(during, "Replaying: pass 3 / 3, event 3");
    EXPECT_EQ(injectedKeyDowns(), (std::vector<int32_t>{66, 67, 66, 67, 66, 67}));
    EXPECT_EQ(main->activityText(), "");
    EXPECT_TRUE(w->startButton()->isEnabled());
}

TEST_F(ReplayWindowTest, KeysLeftDownAreReleasedWhenTheReplayEnds) {
    addKeys(2); // presses without releases
    frmReplay* w = open();
    w->cmdStart_Click();
    EXPECT_FALSE(backend->isDown(65));
    EXPECT_FALSE(backend->isDown(66));
}

struct FilterCase {
    const char* name;
    const char* script;
    std::vector<int32_t> ran;
};

TEST_F(ReplayWindowTest, FilterAnswersDecideWhichEventsRun) {
    const FilterCase cases[] = {
        {"default script",
         "Function ElementInvoked(Index)\r\n\r\n   ElementInvoked = True ' Allow this element\r\n"
         "\r\nEnd Function",
         {65, 66, 67, 68}},
        {"even indexes",
         "Function ElementInvoked(Index)\r\n ElementInvoked = (Index Mod 2 = 0)\r\nEnd Function",
         {65, 67}},
        {"no answer", "Function ElementInvoked(Index)\r\nEnd Function", {}},
        {"numbers other than True", "Function ElementInvoked(Index)\r\n ElementInvoked = 1\r\nEnd Function", {}},
        {"division by zero",
         "Function ElementInvoked(Index)\r\n ElementInvoked = 1 / 0\r\nEnd Function",
         {65, 66, 67, 68}},
        {"missing function", "Function Other(Index)\r\nEnd Function", {65, 66, 67, 68}},
        {"edits the working copy",
         "Function ElementInvoked(Index)\r\n If Index = 0 Then CurrentEvents.EventData(2) = 90\r\n"
         " ElementInvoked = True\r\nEnd Function",
         {65, 66, 90, 68}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        main->document()->clear();
        addKeys(4);
        setFilter(c.script);
        backend->clearInjections();
        frmReplay* w = open();
        w->cmdStart_Click();
        EXPECT_EQ(injectedKeyDowns(), c.ran);
        EXPECT_EQ(main->document()->recorder()->Events, main->document()->events()); // the stored list is back
        EXPECT_EQ(main->document()->events()->EventData(2), 67); // edits of the working copy stay there
        w->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ReplayWindowTest, TheStoredListComesBackEvenWhenTheScriptClearsTheFlag) {
    addKeys(3);
    setFilter("Function ElementInvoked(Index)\r\n CurrentEvents.EnableProcessor = False\r\n"
              " StoredEvents.EventPosX(0) = 5\r\n ElementInvoked = True\r\nEnd Function");
    frmReplay* w = open();
    w->cmdStart_Click();
    EXPECT_EQ(main->document()->recorder()->Events, main->document()->events());
    EXPECT_EQ(main->document()->events()->EventPosX(0), 5); // StoredEvents is the main window's list
    EXPECT_EQ(injectedKeyDowns().size(), 3u);
}

TEST_F(ReplayWindowTest, ACompileErrorIsShownWithItsPositionAndLeavesTheWindowIdle) {
    addKeys(2);
    setFilter("Function ElementInvoked(Index)\r\n  ElementInvoked = (1 +\r\nEnd Function");
    frmReplay* w = open();
    QString message;
    acceptNextMessage(&message);
    w->cmdStart_Click();
    EXPECT_TRUE(message.contains("Line 2")) << message.toStdString();
    EXPECT_TRUE(message.contains("column")) << message.toStdString();
    EXPECT_TRUE(injectedKeyDowns().empty());
    EXPECT_EQ(main->document()->recorder()->Events, main->document()->events());
    EXPECT_EQ(main->activityText(), "");
    EXPECT_TRUE(w->startButton()->isEnabled());
}

TEST_F(ReplayWindowTest, CancelDuringAnEndlessReplayEndsEveryPass) {
    addKeys(3);
    frmReplay* w = open();
    QPointer<frmReplay> guard(w);
    w->input(2)->setText("-1");
    int seen = 0;
    auto c = main->document()->recorder()->ExecutingEvent.connect([&](int32_t, bool&) {
        if (++seen == 8 && guard) guard->cmdCancel_Click(); // in the third pass
    });
    w->cmdStart_Click(); // returns only because Cancel ended it
    c.disconnect();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(seen, 8);
    EXPECT_EQ(main->activityText(), "");
    EXPECT_FALSE(main->document()->recorder()->isReplaying());
}

TEST_F(ReplayWindowTest, ClosingTheMainWindowDuringAFilteredReplayIsSafe) {
    addKeys(3);
    setFilter("Function ElementInvoked(Index)\r\n ElementInvoked = True\r\nEnd Function");
    frmReplay* w = open();
    w->input(2)->setText("-1");
    const std::weak_ptr<clsEvents> stored = main->document()->events();
    int seen = 0;
    auto c = main->document()->recorder()->ExecutingEvent.connect([&](int32_t, bool&) {
        if (++seen == 5 && main) main->close();
    });
    test::answerNextQuestion(QMessageBox::Discard);
    w->cmdStart_Click();
    c.disconnect();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.isNull());
    EXPECT_EQ(seen, 5);
    EXPECT_TRUE(stored.expired()); // nothing kept the lists alive
}

TEST_F(ReplayWindowTest, ClearDuringAFilteredReplayLeavesTheRecorderOnTheNewList) {
    addKeys(3);
    setFilter("Function ElementInvoked(Index)\r\n ElementInvoked = True\r\nEnd Function");
    frmReplay* w = open();
    int seen = 0;
    auto c = main->document()->recorder()->ExecutingEvent.connect([&](int32_t, bool&) {
        if (++seen == 2) main->mnuClear_Click();
    });
    test::answerNextQuestion(QMessageBox::Discard);
    w->cmdStart_Click();
    c.disconnect();
    EXPECT_EQ(main->document()->events()->EventCount, 0);
    EXPECT_EQ(main->document()->recorder()->Events, main->document()->events());
}

} // namespace
} // namespace tvk
