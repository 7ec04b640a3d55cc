#include "AppTestSupport.h"

#include "app/Document.h"
#include "app/filters/frmFilters.h"
#include "events/clsEvents.h"
#include "recorder/simulated/SimulatedBackend.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>

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

TEST_F(FiltersWindowTest, TabMovesFromTheEditorToTheCheckBoxAndBack) {
    list->EnableProcessor = VbTrue;
    showFor(list);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    window->editor()->setFocus();
    QTest::keyClick(window->editor(), Qt::Key_Tab);
    EXPECT_TRUE(window->enableBox()->hasFocus());
    EXPECT_EQ(list->ElementProcessor, frmFilters::DefaultScript().toStdString()); // no tab typed
    QTest::keyClick(window->enableBox(), Qt::Key_Tab);
    EXPECT_TRUE(window->editor()->hasFocus());
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
