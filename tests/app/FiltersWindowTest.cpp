#include "AppTestSupport.h"

#include "app/Document.h"
#include "app/filters/CodeEditor.h"
#include "app/filters/FilterTrial.h"
#include "app/filters/TrialReport.h"
#include "app/filters/frmFilters.h"
#include "events/clsEvents.h"
#include "recorder/simulated/SimulatedBackend.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace tvk {
namespace {

class FiltersWindowTest : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        window = new frmFilters();
        window->show();
    }
    void TearDown() override {
        delete window.data();
        AppFixture::TearDown();
    }
    void showFor(const std::shared_ptr<clsEvents>& list) {
        document->replaceEvents(list);
        window->setDocument(document);
    }
    QPointer<frmFilters> window;
    std::shared_ptr<Document> document = std::make_shared<Document>(std::make_shared<SimulatedBackend>());
    std::shared_ptr<clsEvents> list = std::make_shared<clsEvents>();
};

TEST_F(FiltersWindowTest, DefaultScriptIsTheFiveLinesThatAllowEveryEvent) {
    EXPECT_EQ(frmFilters::DefaultScript(), "Function ElementInvoked(Index)\r\n\r\n"
                                           "   ElementInvoked = True ' Allow this element\r\n\r\n"
                                           "End Function");
}

TEST_F(FiltersWindowTest, ANewListGetsTheDefaultScriptInALockedEditor) {
    showFor(list);
    EXPECT_FALSE(window->enableBox()->isChecked());
    EXPECT_FALSE(window->editor()->isEnabled());
    EXPECT_EQ(list->ElementProcessor, frmFilters::DefaultScript().toStdString());
    EXPECT_EQ(list->EnableProcessor, 0);
}

TEST_F(FiltersWindowTest, TheCheckBoxSwitchesFilteringAndTheEditor) {
    showFor(list);
    QTest::mouseClick(window->enableBox(), Qt::LeftButton, {}, QPoint(6, window->enableBox()->height() / 2));
    EXPECT_EQ(list->EnableProcessor, VbTrue);
    EXPECT_TRUE(window->editor()->isEnabled());
    window->enableBox()->setFocus();
    QTest::keyClick(window->enableBox(), Qt::Key_Space); // by keyboard as well
    EXPECT_EQ(list->EnableProcessor, 0);
    EXPECT_FALSE(window->editor()->isEnabled());
    EXPECT_EQ(list->ElementProcessor, frmFilters::DefaultScript().toStdString()); // the text stays
}

TEST_F(FiltersWindowTest, TabIndentsWithBlanksAndCtrlTabLeavesTheEditor) {
    list->EnableProcessor = VbTrue;
    list->ElementProcessor = "x";
    showFor(list);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    window->editor()->setFocus();
    window->editor()->moveCursor(QTextCursor::End);
    QTest::keyClick(window->editor(), Qt::Key_Tab); // from column 1 to the stop at 4
    QTest::keyClicks(window->editor(), "y");
    QTest::keyClick(window->editor(), Qt::Key_Tab); // from 5 to 8
    EXPECT_EQ(list->ElementProcessor, "x   y   ");
    QTest::keyClick(window->editor(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(window->enableBox()->hasFocus());
    QTest::keyClick(window->enableBox(), Qt::Key_Tab);
    EXPECT_TRUE(window->tryButton()->hasFocus());
    QTest::keyClick(window->tryButton(), Qt::Key_Tab);
    EXPECT_TRUE(window->editor()->hasFocus());
    EXPECT_EQ(list->ElementProcessor, "x   y   "); // no tab typed on the way round
}

TEST_F(FiltersWindowTest, ACompileErrorIsMarkedAtItsLineAndColumnAfterAPause) {
    list->EnableProcessor = VbTrue;
    list->ElementProcessor = "Function ElementInvoked(Index)\r\nEnd Function";
    showFor(list);
    window->checkScript();
    EXPECT_FALSE(window->codeEditor()->hasError());
    // Typing starts the pause; the check runs when it ends.
    window->editor()->moveCursor(QTextCursor::Start);
    window->editor()->moveCursor(QTextCursor::Down);
    QTest::keyClicks(window->editor(), "x = (1 + 2");
    QTest::keyClick(window->editor(), Qt::Key_Return);
    EXPECT_TRUE(window->checkTimer()->isActive());
    EXPECT_FALSE(window->codeEditor()->hasError());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->codeEditor()->hasError(); }, 5000));
    EXPECT_EQ(window->codeEditor()->errorMessage(), "Line 2, column 11: error 1006, Expected ')'");
    EXPECT_TRUE(window->codeEditor()->errorLine()->isVisible());
    EXPECT_EQ(window->codeEditor()->errorLine()->text(), window->codeEditor()->errorMessage());
    // The error's line below the text leaves the window's layout as it was.
    EXPECT_EQ(window->editor()->geometry().topLeft(), QPoint(8, 8));

    QTest::keyClick(window->editor(), Qt::Key_Up);
    QTest::keyClick(window->editor(), Qt::Key_End);
    QTest::keyClicks(window->editor(), ")");
    window->checkScript();
    EXPECT_FALSE(window->codeEditor()->hasError());
    EXPECT_FALSE(window->codeEditor()->errorLine()->isVisible());
}

TEST_F(FiltersWindowTest, TryShowsWhichEventsWouldRunAndLeavesTheListAlone) {
    list->EnableProcessor = VbTrue;
    list->AddEvent(3, true, 0, 0, 65);
    list->AddEvent(2, false, 10, 20, 0);
    list->ElementProcessor = "Function ElementInvoked(Index)\r\n"
                             "  CurrentEvents.EventPosX(Index) = 99 : StoredEvents.RemoveEvent 0\r\n"
                             "  ElementInvoked = CurrentEvents.EventType(Index) <> 2\r\n"
                             "End Function";
    showFor(list);
    QString shown;
    test::whenDialogOpens([&shown](QDialog* d) {
        for (auto* label : d->findChildren<QLabel*>())
            shown += label->text() + "\n";
        for (auto* text : d->findChildren<QPlainTextEdit*>())
            shown += text->toPlainText();
        d->accept();
    });
    QTest::mouseClick(window->tryButton(), Qt::LeftButton);
    EXPECT_EQ(shown, "1 of 2 events would run, 1 would be skipped.\n0 KeyBoard: runs\n1 MouseMove: skipped");
    EXPECT_EQ(list->EventCount, 2);
    EXPECT_EQ(list->EventPosX(1), 10);
}

TEST_F(FiltersWindowTest, TrialReportsExplainEveryOutcome) {
    auto withScript = [](const char* code, bool enabled) {
        clsEvents events;
        events.AddEvent(0, false, 0, 0, 10);
        events.ElementProcessor = code;
        return TrialReport::make(FilterTrial::run(events), enabled);
    };
    TrialReport off = withScript("Function ElementInvoked(Index)\nElementInvoked = True\nEnd Function", false);
    EXPECT_EQ(off.summary, "Filtering is off: a replay runs every event. These are the verdicts with filtering on.\n"
                           "1 of 1 events would run, 0 would be skipped.");
    TrialReport none = withScript("MsgBox \"hello\"", true);
    EXPECT_EQ(none.summary, "The script has no ElementInvoked function: every event runs.");
    EXPECT_EQ(none.lines, QStringList{"Message: hello"});
    TrialReport broken = withScript("Function ElementInvoked(Index)\nElementInvoked = \"x\"\nEnd Function", true);
    EXPECT_EQ(broken.lines, QStringList{"0 Wait: runs (error 13: Type mismatch)"});
    TrialReport wrong = withScript("Function ElementInvoked(Index)\nIf Then\nEnd Function", true);
    EXPECT_EQ(wrong.summary, "Line 2, column 4: error 1023, Expected expression");
}
TEST_F(FiltersWindowTest, EveryEditIsStoredAtOnceAndSurvivesClosing) {
    list->EnableProcessor = VbTrue;
    list->ElementProcessor = "Function ElementInvoked(Index)\r\nEnd Function";
    showFor(list);
    window->editor()->moveCursor(QTextCursor::End);
    QTest::keyClick(window->editor(), Qt::Key_Return);
    QTest::keyClicks(window->editor(), "'x");
    EXPECT_EQ(list->ElementProcessor, "Function ElementInvoked(Index)\r\nEnd Function\r\n'x");
    window->close();
    EXPECT_EQ(list->ElementProcessor, "Function ElementInvoked(Index)\r\nEnd Function\r\n'x");
}

TEST_F(FiltersWindowTest, UpdateShowsTheListWithoutStoringTheWindowsPreviousState) {
    showFor(list); // the window now shows the default script, unchecked
    auto loaded = std::make_shared<clsEvents>();
    loaded->ElementProcessor = "S";
    loaded->EnableProcessor = VbTrue;
    showFor(loaded);
    EXPECT_EQ(window->editor()->toPlainText(), "S");
    EXPECT_TRUE(window->enableBox()->isChecked());
    EXPECT_TRUE(window->editor()->isEnabled());
    EXPECT_EQ(loaded->ElementProcessor, "S");
    EXPECT_EQ(loaded->EnableProcessor, VbTrue);
    EXPECT_EQ(list->EnableProcessor, 0);
}

TEST_F(FiltersWindowTest, AnEmptiedScriptIsStoredAndTheNextUpdateOffersTheDefault) {
    list->EnableProcessor = VbTrue;
    list->ElementProcessor = "abc";
    showFor(list);
    window->editor()->selectAll();
    QTest::keyClick(window->editor(), Qt::Key_Delete);
    EXPECT_EQ(list->ElementProcessor, "");
    window->Update();
    EXPECT_EQ(list->ElementProcessor, frmFilters::DefaultScript().toStdString());
}

TEST_F(FiltersWindowTest, LayoutKeepsEightPixelMarginsAtAnySize) {
    for (const QSize size : {QSize(600, 500), QSize(300, 200), QSize(20, 10)}) {
        window->resize(size);
        QApplication::processEvents();
        const QRect editor = window->editor()->geometry();
        const QRect box = window->enableBox()->geometry();
        EXPECT_EQ(editor.topLeft(), QPoint(8, 8));
        EXPECT_GE(editor.width(), 0);
        EXPECT_GE(editor.height(), 0);
        if (window->height() >= box.height() + 24) {
            EXPECT_EQ(editor.width(), window->width() - 16);
            EXPECT_EQ(box.top(), editor.bottom() + 1 + 8);
            EXPECT_EQ(window->height() - (box.bottom() + 1), 8);
        }
    }
}

} // namespace
} // namespace tvk
