#include "AppTestSupport.h"

#include "app/Document.h"
#include "app/main/frmMain.h"
#include "events/RuntimeError.h"
#include "events/clsEvents.h"
#include "recorder/clsRecorder.h"
#include "recorder/simulated/SimulatedBackend.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace tvk {
namespace {

using test::whenDialogOpens;

// ---- The document on its own ----

class DocumentTest : public test::AppFixture {
protected:
    std::string path(const char* name) const { return QFile::encodeName(dir.filePath(name)).toStdString(); }
    Document document{std::make_shared<SimulatedBackend>()};
};

TEST_F(DocumentTest, ReplacingAnnouncesTheNewListAndPointsTheRecorderAtIt) {
    int announced = 0;
    std::shared_ptr<clsEvents> seen;
    auto c = document.EventsReplaced.connect([&] {
        ++announced;
        seen = document.events();
    });
    const std::shared_ptr<clsEvents> before = document.events();
    document.clear();
    EXPECT_EQ(announced, 1);
    EXPECT_NE(document.events(), before);
    EXPECT_EQ(seen, document.events());
    EXPECT_EQ(document.recorder()->Events, document.events());
    document.replaceEvents(nullptr); // never leaves the document without a list
    ASSERT_NE(document.events(), nullptr);
    EXPECT_EQ(document.recorder()->Events, document.events());
}

TEST_F(DocumentTest, AFailedOpenChangesNothingAndAnnouncesNothing) {
    document.events()->AddEvent(Wait, false, 0, 0, 1);
    const std::shared_ptr<clsEvents> before = document.events();
    int announced = 0;
    auto c = document.EventsReplaced.connect([&] { ++announced; });
    EXPECT_THROW(document.open(path("missing.tvk")), RuntimeError);
    EXPECT_EQ(document.events(), before);
    EXPECT_EQ(announced, 0);
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.fileName(), "");
}

// Which changes count: each case starts from a list just saved.
TEST_F(DocumentTest, KnowsWhetherTheListChangedSinceItWasSavedOrOpened) {
    struct Case {
        const char* what;
        std::function<void(Document&)> change;
        bool modified;
        bool marked; // what the title shows without a full comparison
    };
    const Case cases[] = {
        {"nothing", [](Document&) {}, false, false},
        {"an event added", [](Document& d) { d.events()->AddEvent(Wait, false, 0, 0, 5); }, true, true},
        {"an event removed", [](Document& d) { d.events()->RemoveEvent(0); }, true, true},
        {"a field a script wrote", [](Document& d) { d.events()->setEventPosX(0, 77); }, true, false},
        {"the detail a script wrote", [](Document& d) { d.events()->MouseUpDetail = 7; }, true, false},
        {"a change a window marked", [](Document& d) { d.markModified(); }, true, true},
        {"a default filled in", [](Document& d) { d.changeUnmarked([](clsEvents& l) { l.ElementProcessor = "x"; }); },
         false, false},
        {"a field written and written back",
         [](Document& d) {
             d.events()->setEventPosX(0, 77);
             d.events()->setEventPosX(0, 3);
         },
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        document.clear();
        document.events()->AddEvent(MouseMove, false, 3, 4, 0);
        document.save(path("saved.tvk"));
        ASSERT_FALSE(document.isModified());
        c.change(document);
        EXPECT_EQ(document.isModified(), c.modified);
        EXPECT_EQ(document.isMarkedModified(), c.marked);
    }
    // Opening counts as unchanged under the opened name, a new list as unchanged without one.
    document.open(path("saved.tvk"));
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(document.fileName(), path("saved.tvk"));
    document.clear();
    EXPECT_EQ(document.fileName(), "");
}

// ---- The windows follow a replaced list ----

class DocumentWindowsTest : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        main = new frmMain(std::make_shared<SimulatedBackend>());
        main->show();
    }
    void TearDown() override {
        delete main.data();
        AppFixture::TearDown();
    }
    static void chooseFile(const QString& file) {
        whenDialogOpens([file](QDialog* d) {
            auto* fd = qobject_cast<QFileDialog*>(d);
            ASSERT_NE(fd, nullptr);
            fd->selectFile(file);
            static_cast<QDialog*>(fd)->accept();
        });
    }
    // Answers a "Save changes?" question, should one come, with Discard.
    static void discardIfAsked() {
        whenDialogOpens([](QDialog* d) {
            if (auto* box = qobject_cast<QMessageBox*>(d); box && box->buttons().size() == 3)
                box->button(QMessageBox::Discard)->click();
            else
                d->reject();
        });
    }
    // A file holding one event, the script `script` (filter on) and the details 30 / 40.
    QString writeFile(const char* name, const std::string& script) {
        clsEvents list;
        list.AddEvent(Wait, false, 0, 0, 1);
        list.ElementProcessor = script;
        list.EnableProcessor = VbTrue;
        list.MouseUpDetail = 30;
        list.MouseDownDetail = 40;
        list.SaveFile(QFile::encodeName(dir.filePath(name)).toStdString());
        return dir.filePath(name);
    }
    QPointer<frmMain> main;
};

TEST_F(DocumentWindowsTest, FilterFlagTickedAfterClearIsSaved) {
    main->mnuFilters_Click();
    frmFilters* filters = main->filtersWindow();
    main->mnuClear_Click();
    QTest::mouseClick(filters->enableBox(), Qt::LeftButton, {}, QPoint(6, filters->enableBox()->height() / 2));
    ASSERT_TRUE(filters->enableBox()->isChecked());
    main->document()->events()->AddEvent(Wait, false, 0, 0, 1);
    chooseFile(dir.filePath("ticked.tvk"));
    main->mnuSave_Click();

    clsEvents saved;
    saved.LoadFile(QFile::encodeName(dir.filePath("ticked.tvk")).toStdString());
    EXPECT_NE(saved.EnableProcessor, 0);
    // And reopened, the window shows it ticked.
    main->mnuClear_Click();
    EXPECT_FALSE(filters->enableBox()->isChecked());
    chooseFile(dir.filePath("ticked.tvk"));
    main->mnuOpen_Click();
    EXPECT_TRUE(filters->enableBox()->isChecked());
}

TEST_F(DocumentWindowsTest, FiltersShowTheOpenedScriptAndEditIt) {
    const QString file = writeFile("s.tvk", "Function ElementInvoked(Index)\r\nEnd Function");
    main->mnuFilters_Click();
    frmFilters* filters = main->filtersWindow();
    const std::shared_ptr<clsEvents> earlier = main->document()->events();
    chooseFile(file);
    main->mnuOpen_Click();
    EXPECT_EQ(filters->editor()->toPlainText(), "Function ElementInvoked(Index)\nEnd Function");
    EXPECT_TRUE(filters->editor()->isEnabled());
    filters->editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(filters->editor(), "'x");
    EXPECT_EQ(main->document()->events()->ElementProcessor, "Function ElementInvoked(Index)\r\nEnd Function'x");
    EXPECT_EQ(earlier->ElementProcessor, frmFilters::DefaultScript().toStdString()); // the old list keeps its own
    EXPECT_FALSE(main->document()->events() == earlier);
}

TEST_F(DocumentWindowsTest, SettingsShowTheOpenedDetailsAndStoreIntoTheOpenedList) {
    const QString file = writeFile("d.tvk", "");
    main->mnuSettings_Click();
    frmSettings* settingsWindow = main->settingsWindow();
    settingsWindow->mouseUpBox()->setText("11"); // typed for the list that is about to go
    const std::shared_ptr<clsEvents> earlier = main->document()->events();
    chooseFile(file);
    main->mnuOpen_Click();
    EXPECT_EQ(settingsWindow->mouseUpBox()->text(), "30");
    EXPECT_EQ(settingsWindow->mouseDownBox()->text(), "40");
    settingsWindow->mouseDownBox()->setText("45");
    settingsWindow->cmdOk_Click();
    EXPECT_EQ(main->document()->events()->MouseUpDetail, 30);
    EXPECT_EQ(main->document()->events()->MouseDownDetail, 45);
    EXPECT_TRUE(main->document()->isModified());
    EXPECT_EQ(earlier->MouseUpDetail, 50); // the list that went is untouched
}

// ---- Changed events are not dropped without asking ----

// Runs `action` on the next "Save changes?" question; returns the watch so that a test can end it.
QPointer<QTimer> onQuestion(std::function<void(QMessageBox*)> action) {
    QPointer<QTimer> timer = new QTimer(&test::app());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action = std::move(action)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        timer->stop();
        timer->deleteLater();
        action(box);
    });
    timer->start();
    return timer;
}

TEST_F(DocumentWindowsTest, ClearOpenAndCloseAskBeforeDroppingChangedEvents) {
    enum class Command { Clear, Open, Close };
    struct Case {
        Command command;
        QMessageBox::StandardButton answer;
        bool goesOn; // the command did what it does
    };
    const Case cases[] = {
        {Command::Clear, QMessageBox::Cancel, false}, {Command::Clear, QMessageBox::Discard, true},
        {Command::Clear, QMessageBox::Save, true},    {Command::Open, QMessageBox::Cancel, false},
        {Command::Open, QMessageBox::Discard, true},  {Command::Open, QMessageBox::Save, true},
        {Command::Close, QMessageBox::Cancel, false}, {Command::Close, QMessageBox::Discard, true},
        {Command::Close, QMessageBox::Save, true},
    };
    const QString other = writeFile("other.tvk", "");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << n);
        if (!main) main = new frmMain(std::make_shared<SimulatedBackend>());
        main->show();
        main->document()->clear();
        main->document()->events()->AddEvent(Wait, false, 0, 0, 1);
        main->document()->events()->AddEvent(Wait, false, 0, 0, 2);
        const QString saved = dir.filePath(QStringLiteral("saved%1.tvk").arg(n++));
        QString question;
        onQuestion([&](QMessageBox* box) {
            question = box->text();
            if (c.answer == QMessageBox::Save && c.command == Command::Open) {
                whenDialogOpens([&](QDialog* save) { // the save dialog, then the open dialog
                    auto* fd = qobject_cast<QFileDialog*>(save);
                    ASSERT_NE(fd, nullptr);
                    fd->selectFile(saved);
                    static_cast<QDialog*>(fd)->accept();
                    chooseFile(other);
                });
            } else if (c.answer == QMessageBox::Save) {
                chooseFile(saved);
            } else if (c.answer == QMessageBox::Discard && c.command == Command::Open) {
                chooseFile(other);
            }
            box->button(c.answer)->click();
        });
        switch (c.command) {
        case Command::Clear:
            main->mnuClear_Click();
            EXPECT_EQ(main->document()->events()->EventCount, c.goesOn ? 0 : 2);
            break;
        case Command::Open:
            main->mnuOpen_Click();
            EXPECT_EQ(main->document()->events()->EventCount, c.goesOn ? 1 : 2);
            break;
        case Command::Close:
            main->close();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_EQ(main.isNull(), c.goesOn);
            break;
        }
        EXPECT_EQ(question, "Save changes?");
        if (c.answer == QMessageBox::Save) {
            clsEvents written;
            written.LoadFile(QFile::encodeName(saved).toStdString());
            EXPECT_EQ(written.EventCount, 2);
        }
    }
}

TEST_F(DocumentWindowsTest, NothingIsAskedWhenNothingWouldBeLost) {
    // Each command must go on at once; were it to ask, the question is cancelled and the test fails.
    const QString file = writeFile("one.tvk", "");
    int asked = 0;
    QPointer<QTimer> watch = onQuestion([&](QMessageBox* box) {
        ++asked;
        box->button(QMessageBox::Cancel)->click();
    });
    chooseFile(file);
    main->mnuOpen_Click(); // an empty new list
    ASSERT_EQ(main->document()->events()->EventCount, 1);
    main->mnuFilters_Click(); // the default script filled in is no change
    main->mnuClear_Click();   // the opened file, unchanged
    EXPECT_EQ(main->document()->events()->EventCount, 0);
    main->document()->events()->AddEvent(Wait, false, 0, 0, 1);
    main->document()->events()->RemoveEvent(0);
    main->mnuClear_Click(); // changed, but holds no events
    EXPECT_EQ(asked, 0);
    delete watch.data();
}

TEST_F(DocumentWindowsTest, TitleShowsTheFileNameAndAnUnsavedMark) {
    EXPECT_EQ(main->windowTitle(), "Tavrimoskel");
    main->document()->events()->AddEvent(Wait, false, 0, 0, 1);
    EXPECT_EQ(main->windowTitle(), "Untitled* - Tavrimoskel");
    chooseFile(dir.filePath("named.tvk"));
    main->mnuSave_Click();
    EXPECT_EQ(main->windowTitle(), "named.tvk - Tavrimoskel");
    main->document()->events()->AddEvent(Wait, false, 0, 0, 2);
    EXPECT_EQ(main->windowTitle(), "named.tvk* - Tavrimoskel");
    // A language's caption replaces the program's name only; the caption reads back without the file.
    main->setProperty(std::string_view("Caption"), std::string("Programm"));
    EXPECT_EQ(main->windowTitle(), "named.tvk* - Programm");
    EXPECT_EQ(static_cast<Form*>(main.data())->property("Caption"), "Programm");
}

} // namespace
} // namespace tvk
