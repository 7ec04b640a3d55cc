#include "AppTestSupport.h"

#include "app/FormGeometry.h"
#include "app/main/EventListModel.h"
#include "app/main/EventListView.h"
#include "app/main/frmMain.h"
#include "events/clsEvents.h"
#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"
#include "recorder/simulated/SimulatedBackend.h"
#include "support/clsCommonDialog.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

namespace tvk {
namespace {

using test::acceptNextMessage;
using test::whenDialogOpens;

class MainWindowTest : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        backend = std::make_shared<SimulatedBackend>();
        window = new frmMain(backend);
        window->show();
    }
    void TearDown() override {
        delete window.data();
        AppFixture::TearDown();
    }
    void addEvents(int n) {
        for (int i = 0; i < n; ++i)
            window->document()->events()->AddEvent(Wait, false, i, 0, 10 * i);
    }
    QString cell(int row, int column) { return window->model()->cellText(row, column); }
    // Picks `path` in the next file dialog.
    static void chooseFile(const QString& path) {
        whenDialogOpens([path](QDialog* d) {
            auto* fd = qobject_cast<QFileDialog*>(d);
            ASSERT_NE(fd, nullptr);
            fd->selectFile(path);
            static_cast<QDialog*>(fd)->accept();
        });
    }

    std::shared_ptr<SimulatedBackend> backend;
    QPointer<frmMain> window;
};

TEST_F(MainWindowTest, MenuHasEveryItemInOrderWithCaptionsAndShortcuts) {
    struct Item {
        const char* name;
        const char* caption;
        const char* shortcut;
    };
    const Item file[] = {{"mnuOpen", "&Open", "Ctrl+O"}, {"mnuSave", "&Save as", "Ctrl+S"},
                         {"mnuLine2", "-", ""},          {"mnuSettings", "Se&ttings", "Ctrl+T"},
                         {"mnuLine4", "-", ""},          {"mnuExit", "&Exit", "Ctrl+Q"}};
    const Item events[] = {
        {"mnuClear", "&Clear", "Ctrl+C"},   {"mnuLine1", "-", ""}, {"mnuRecord", "&Record", "Ctrl+R"},
        {"mnuReplay", "R&eplay", "Ctrl+E"}, {"mnuLine3", "-", ""}, {"mnuFilters", "&Filters", "Ctrl+F"}};
    const QList<QAction*> top = window->menuBar()->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[0]->objectName(), "mnuFile");
    EXPECT_EQ(top[0]->text(), "&File");
    EXPECT_EQ(top[1]->objectName(), "mnuEvents");
    EXPECT_EQ(top[1]->text(), "&Events");
    EXPECT_EQ(top[2]->objectName(), "mnuAbout");
    EXPECT_EQ(top[2]->menu(), nullptr);
    auto check = [this](QMenu* menu, const auto& expected) {
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(std::size(expected)));
        for (size_t i = 0; i < std::size(expected); ++i) {
            EXPECT_EQ(items[i]->objectName(), expected[i].name);
            // Lines are separators captioned "-" for translation, showing no text of their own.
            const bool line = std::string(expected[i].caption) == "-";
            EXPECT_EQ(items[i]->isSeparator(), line) << expected[i].name;
            EXPECT_EQ(items[i]->text(), line ? "" : expected[i].caption);
            EXPECT_EQ(window->control(expected[i].name)->property("Caption"), expected[i].caption);
            EXPECT_EQ(items[i]->shortcut().toString(), expected[i].shortcut) << expected[i].name;
        }
    };
    check(top[0]->menu(), file);
    check(top[1]->menu(), events);
    EXPECT_TRUE(window->action("mnuRecord")->isCheckable());
    EXPECT_EQ(window->windowTitle(), "Tavrimoskel");
}

TEST_F(MainWindowTest, ControlsCarryTheirNamesAndKinds) {
    std::vector<std::pair<std::string, std::string>> seen;
    for (FormControl* c : window->controls())
        seen.emplace_back(c->name(), c->kind());
    EXPECT_EQ(seen.front(), (std::pair<std::string, std::string>{"lstEvents", "ListView"}));
    EXPECT_NE(std::find(seen.begin(), seen.end(), std::pair<std::string, std::string>{"statusBar", "StatusBar"}),
              seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), std::pair<std::string, std::string>{"mnuRecord", "Menu"}),
              seen.end());
    EXPECT_EQ(seen.size(), 17u);
    EXPECT_EQ(window->controls().front()->member("ColumnHeaders").count(), 7);
}

TEST_F(MainWindowTest, AddedEventsBecomeSelectedRowsAndTheStatusBarFollows) {
    addEvents(5);
    EXPECT_EQ(window->model()->rowCount(), 5);
    EXPECT_EQ(window->listView()->selectionModel()->currentIndex().row(), 4);
    EXPECT_EQ(window->panelText(2), "5");
    EXPECT_EQ(window->panelText(3), "5");
}

TEST_F(MainWindowTest, AddedRowsAreSelectedWithoutScrollingTheList) {
    window->resize(484, 200);
    QApplication::processEvents();
    addEvents(200); // far more rows than the page holds
    EXPECT_EQ(window->listView()->selectionModel()->currentIndex().row(), 199);
    EXPECT_EQ(window->listView()->verticalScrollBar()->value(), 0);
    // A rebuild adds every row afresh, and does not scroll either.
    window->UpdateListView();
    EXPECT_EQ(window->listView()->selectionModel()->currentIndex().row(), 199);
    EXPECT_EQ(window->listView()->verticalScrollBar()->value(), 0);
}

TEST_F(MainWindowTest, DeleteKeyRemovesTheSelectedEventAndKeepsOtherRowsTexts) {
    addEvents(5);
    window->listView()->selectRow(2);
    QTest::keyClick(window->listView(), Qt::Key_Delete);
    EXPECT_EQ(window->document()->events()->EventCount, 4);
    EXPECT_EQ(window->document()->events()->EventData(2), 30); // the event at index 2 went
    ASSERT_EQ(window->model()->rowCount(), 4);
    EXPECT_EQ(cell(2, 0), "4");
    EXPECT_EQ(cell(3, 0), "5");
    EXPECT_EQ(window->panelText(3), "4");
}

TEST_F(MainWindowTest, DeleteWithoutSelectionRemovesNothing) {
    addEvents(3);
    window->listView()->clearSelection();
    window->listView()->selectionModel()->clearCurrentIndex();
    QTest::keyClick(window->listView(), Qt::Key_Delete);
    EXPECT_EQ(window->document()->events()->EventCount, 3);
    EXPECT_EQ(window->panelText(3), "3");
}

TEST_F(MainWindowTest, MenuShortcutsWorkWhileTheListHasTheFocus) {
    addEvents(3);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    window->listView()->setFocus();
    test::answerNextQuestion(QMessageBox::Discard); // Ctrl+C is Clear, which asks first
    QTest::keyClick(window->listView(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(window->document()->events()->EventCount, 0);
    EXPECT_EQ(window->model()->rowCount(), 0);
}

TEST_F(MainWindowTest, ReplayItemIsEnabledOnlyForAListWithEventsWhenTheMenuOpens) {
    window->mnuEvents_Click();
    EXPECT_FALSE(window->action("mnuReplay")->isEnabled());
    addEvents(1);
    EXPECT_FALSE(window->action("mnuReplay")->isEnabled()); // follows the menu opening only
    window->mnuEvents_Click();
    EXPECT_TRUE(window->action("mnuReplay")->isEnabled());
}

TEST_F(MainWindowTest, RecordTogglesWhileTheRecordingLoopRuns) {
    window->document()->recorder()->setOwnInputTest({}); // the key goes to another program, so it stays recorded
    QString during;
    bool checkedDuring = false;
    backend->scheduleAction(50, [&] {
        during = window->activityText();
        checkedDuring = window->action("mnuRecord")->isChecked();
        window->action("mnuRecord")->trigger(); // nested inside the running recording
    });
    backend->scheduleKey(20, 65, true);
    backend->scheduleKey(30, 65, false);
    window->action("mnuRecord")->trigger();
    EXPECT_TRUE(during.startsWith("Recording: 0:00, ")) << during.toStdString();
    EXPECT_TRUE(checkedDuring);
    EXPECT_FALSE(window->action("mnuRecord")->isChecked());
    EXPECT_EQ(window->activityText(), "");
    EXPECT_FALSE(window->document()->recorder()->isRecording());
    // The typed key reached the list and its rows.
    ASSERT_GE(window->document()->events()->EventCount, 2);
    bool sawKey = false;
    for (int r = 0; r < window->model()->rowCount(); ++r)
        sawKey |= cell(r, 3) == "VK_A";
    EXPECT_TRUE(sawKey);
}

TEST_F(MainWindowTest, ARecordingKeepsTheReplayStopKeyAsAnyOtherKey) {
    // The stop key ends replays only: a recording takes it down like any key and runs on until
    // Record again.
    window->document()->recorder()->setOwnInputTest({});
    backend->scheduleKey(20, 'A', true);
    backend->scheduleKey(30, 'A', false);
    backend->scheduleKey(41, vk::Escape, true);
    backend->scheduleKey(55, vk::Escape, false);
    backend->scheduleAction(500, [&] { window->action("mnuRecord")->trigger(); });
    window->action("mnuRecord")->trigger();
    EXPECT_GE(backend->monotonicNow(), std::chrono::milliseconds(500));
    EXPECT_FALSE(window->action("mnuRecord")->isChecked());
    const auto& events = *window->document()->events();
    std::vector<int32_t> keys;
    for (int32_t i = 0; i < events.EventCount; ++i)
        if (events.EventType(i) == KeyBoard) keys.push_back(events.EventData(i));
    EXPECT_EQ(keys, (std::vector<int32_t>{'A', 'A', vk::Escape, vk::Escape}));
    EXPECT_FALSE(window->document()->recorder()->stoppedByUser());
}

TEST_F(MainWindowTest, ARecordingInsideAReplayLeavesTheReplaysStopKeyWatched) {
    const auto recorder = window->document()->recorder();
    for (int i = 0; i < 4; ++i)
        window->document()->events()->AddEvent(Wait, false, 0, 0, 50);
    recorder->setStopKey(vk::Escape);
    recorder->watchStopKey(true); // as the replay window does
    bool nested = false;
    auto record = recorder->ExecutingEvent.connect([&](int32_t, bool& cancel) {
        cancel = true;
        if (std::exchange(nested, true)) return;
        // The replay's own Ctrl+R reaches the main window: a recording runs until Record again.
        const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(backend->monotonicNow()).count();
        backend->scheduleAction(now + 30, [&] { window->action("mnuRecord")->trigger(); });
        window->action("mnuRecord")->trigger();
    });
    recorder->ReplayEvents(0, -1);
    record.disconnect();
    ASSERT_TRUE(nested);
    EXPECT_FALSE(recorder->stoppedByUser());
    // The next pass still stops at the user's key.
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(backend->monotonicNow()).count();
    backend->scheduleKey(now + 20, vk::Escape, true);
    recorder->ReplayEvents(0, -1);
    EXPECT_TRUE(recorder->stoppedByUser());
    EXPECT_LT(backend->monotonicNow(), std::chrono::milliseconds(now + 60));
}

TEST_F(MainWindowTest, KeysWithoutACodeAreReportedOnceWhenTheRecordingEnds) {
    for (const int count : {1, 2, 0}) {
        for (int i = 0; i < count; ++i)
            backend->scheduleAction(0, [&] { backend->pressUnmappedKey(); });
        backend->scheduleAction(0, [&] { window->action("mnuRecord")->trigger(); });
        window->action("mnuRecord")->trigger();
        const QString expected = count == 0   ? QString()
                                 : count == 1 ? QStringLiteral("1 key could not be recorded")
                                              : QStringLiteral("%1 keys could not be recorded").arg(count);
        EXPECT_EQ(window->activityText(), expected) << count;
    }
}

TEST_F(MainWindowTest, ClearDuringARecordingEndsItAndKeepsTheCheckMark) {
    addEvents(3);
    const std::shared_ptr<clsEvents> before = window->document()->events();
    backend->scheduleAction(30, [&] { window->action("mnuClear")->trigger(); });
    test::answerNextQuestion(QMessageBox::Discard);
    window->action("mnuRecord")->trigger(); // returns once Clear stopped it
    EXPECT_NE(window->document()->events(), before);
    EXPECT_EQ(window->document()->recorder()->Events, window->document()->events());
    EXPECT_EQ(window->model()->rowCount(), 0);
    EXPECT_EQ(window->panelText(3), "3"); // Clear leaves the status bar as it was
    EXPECT_TRUE(window->action("mnuRecord")->isChecked());
    EXPECT_TRUE(window->activityText().startsWith("Recording: ")) << window->activityText().toStdString();
    window->action("mnuRecord")->trigger(); // only unchecks now
    EXPECT_FALSE(window->action("mnuRecord")->isChecked());
    EXPECT_EQ(window->activityText(), "");
}

TEST_F(MainWindowTest, ClosingTheWindowDuringARecordingEndsItSafely) {
    backend->scheduleAction(30, [&] { window->close(); });
    const std::weak_ptr<clsRecorder> recorder = window->document()->recorder();
    window->action("mnuRecord")->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(recorder.expired());
}

TEST_F(MainWindowTest, ClosingTheMainWindowClosesTheOtherWindows) {
    window->mnuFilters_Click();
    window->mnuSettings_Click();
    QPointer<QWidget> filters = window->filtersWindow();
    QPointer<QWidget> settingsWindow = window->settingsWindow();
    ASSERT_TRUE(filters);
    ASSERT_TRUE(filters->isVisible());
    ASSERT_TRUE(settingsWindow);
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(filters.isNull());
    EXPECT_TRUE(settingsWindow.isNull());
}

TEST_F(MainWindowTest, SaveAppendsTheExtensionUnlessThePathHoldsItExactly) {
    addEvents(2);
    const std::pair<QString, QString> cases[] = {
        {"run1", "run1.tvk"},
        {"run2.tvk", "run2.tvk"},
        {"run3.tvk.bak", "run3.tvk.bak"},
        {"run4.TVK", "run4.TVK.tvk"},
    };
    for (const auto& [chosen, written] : cases) {
        chooseFile(dir.filePath(chosen));
        window->mnuSave_Click();
        EXPECT_TRUE(QFile::exists(dir.filePath(written))) << written.toStdString();
    }
}

TEST_F(MainWindowTest, OpenRebuildsTheRowsAndAFailingOpenLeavesEverythingAsItWas) {
    addEvents(4);
    chooseFile(dir.filePath("four.tvk"));
    window->mnuSave_Click();
    window->mnuClear_Click();
    addEvents(2);

    test::answerNextQuestion(QMessageBox::Discard); // the two events were never saved
    chooseFile(dir.filePath("four.tvk"));
    window->mnuOpen_Click();
    EXPECT_EQ(window->document()->events()->EventCount, 4);
    ASSERT_EQ(window->model()->rowCount(), 4);
    EXPECT_EQ(cell(3, 3), "30");
    EXPECT_EQ(window->panelText(2), "4");
    EXPECT_EQ(window->document()->recorder()->Events,
              window->document()->events()); // the recorder works on the opened list

    QFile broken(dir.filePath("broken.tvk"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("\x05\x00\x00\x00\x09\x00\x00\x00", 8); // claims events it does not hold
    broken.close();
    QString message;
    chooseFile(broken.fileName());
    acceptNextMessage(&message);
    window->mnuOpen_Click();
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(window->document()->events()->EventCount, 4);
    EXPECT_EQ(window->model()->rowCount(), 4);
}

// The file the command line names: read into an empty list, or the same message as File > Open.
TEST_F(MainWindowTest, OpenFileLoadsTheListOrReportsLikeTheOpenCommand) {
    addEvents(3);
    chooseFile(dir.filePath("three.tvk"));
    window->mnuSave_Click();
    window->mnuClear_Click();
    EXPECT_TRUE(window->openFile(dir.filePath("three.tvk")));
    EXPECT_EQ(window->model()->rowCount(), 3);
    window->mnuClear_Click();

    QFile broken(dir.filePath("broken.tvk"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("\x05\x00\x00\x00\x09\x00\x00\x00", 8); // claims events it does not hold
    broken.close();
    for (const QString& bad : {dir.filePath("missing.tvk"), broken.fileName()}) {
        QString message;
        acceptNextMessage(&message);
        EXPECT_FALSE(window->openFile(bad));
        EXPECT_TRUE(message.startsWith(bad + "\n\n")) << message.toStdString();
        EXPECT_EQ(window->document()->events()->EventCount, 0) << bad.toStdString();
        EXPECT_EQ(window->model()->rowCount(), 0);
    }
    QString fromStartUp, fromMenu;
    acceptNextMessage(&fromStartUp);
    window->openFile(broken.fileName());
    chooseFile(broken.fileName());
    acceptNextMessage(&fromMenu);
    window->mnuOpen_Click();
    EXPECT_EQ(fromStartUp, fromMenu);
}

TEST_F(MainWindowTest, ACancelledDialogDoesNothing) {
    addEvents(1);
    whenDialogOpens([](QDialog* d) { d->reject(); });
    window->mnuSave_Click();
    EXPECT_EQ(window->Dialog().File(), "");
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.tvk"}).isEmpty());
}

TEST_F(MainWindowTest, AFailingSaveIsReported) {
    addEvents(1);
    QString message;
    chooseFile(dir.filePath("missing-folder/x.tvk"));
    acceptNextMessage(&message);
    window->mnuSave_Click();
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(window->document()->events()->EventCount, 1);
}

TEST_F(MainWindowTest, AReplayedEventIsSelectedAndScrolledIntoView) {
    window->resize(484, 200);
    addEvents(300);
    window->listView()->scrollToTop();
    bool cancel = false;
    window->document()->recorder()->ExecutingEvent.emit(250, cancel);
    EXPECT_EQ(window->listView()->selectionModel()->currentIndex().row(), 250);
    EXPECT_EQ(window->panelText(2), "251");
    const QRect rect = window->listView()->visualRect(window->model()->index(250, 0));
    EXPECT_TRUE(window->listView()->viewport()->rect().intersects(rect));
    // An index beyond the rows (a filter script grew its working copy) selects nothing new.
    window->document()->recorder()->ExecutingEvent.emit(5000, cancel);
    EXPECT_EQ(window->listView()->selectionModel()->currentIndex().row(), 250);
}

TEST_F(MainWindowTest, AboutShowsTheLanguagesTexts) {
    const int32_t d = language().AppendDatabase("Messages", false);
    language().AppendEntry(d, "AboutText", "Hello there");
    language().AppendEntry(d, "AboutTitle", "About it");
    QString text, title;
    whenDialogOpens([&](QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        text = box->text();
        title = box->windowTitle();
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        box->accept();
    });
    window->mnuAbout_Click();
    EXPECT_EQ(text, "Hello there");
    EXPECT_EQ(title, "About it");
}

TEST_F(MainWindowTest, OpensWithItsDesignClientAreaTheStatusBarIncluded) {
    auto* fresh = new frmMain(backend);
    fresh->show();
    QApplication::processEvents();
    const double s = designScale(fresh);
    // The client area lies below the menu bar and holds the list and the status bar.
    EXPECT_EQ(fresh->height() - fresh->menuBar()->height(), scaled(339, s));
    EXPECT_GE(fresh->width(), scaled(484, s));
    EXPECT_EQ(fresh->listView()->height(), scaled(339, s) - fresh->statusBar()->height() - 16);
    delete fresh;
}

TEST_F(MainWindowTest, TheListKeepsAnEightPixelMarginWhenResized) {
    window->resize(600, 500);
    QApplication::processEvents();
    const QRect list = window->listView()->geometry();
    const QSize client = window->centralWidget()->size();
    EXPECT_EQ(list.topLeft(), QPoint(8, 8));
    EXPECT_EQ(list.width(), client.width() - 16);
    EXPECT_EQ(list.height(), client.height() - 16);
}

} // namespace
} // namespace tvk

namespace tvk {
namespace {

// The list places cells by row number; the places must be the table's own, scrolled or not.
TEST_F(MainWindowTest, ListPlacesCellsWhereTheTableWould) {
    addEvents(300);
    QApplication::processEvents();
    auto* view = static_cast<EventListView*>(window->listView());
    for (const int scroll : {0, 37, view->verticalScrollBar()->maximum()}) {
        view->verticalScrollBar()->setValue(scroll);
        for (const int row : {0, 1, 150, 299})
            for (const int column : {0, 3, 6}) {
                const QModelIndex index = window->model()->index(row, column);
                EXPECT_EQ(view->visualRect(index), view->QTableView::visualRect(index))
                    << "scroll " << scroll << " row " << row << " column " << column;
            }
    }
}

} // namespace
} // namespace tvk
