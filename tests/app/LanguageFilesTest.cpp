#include "AppTestSupport.h"

#include "app/Messages.h"
#include "app/main/EventListModel.h"
#include "app/main/frmMain.h"
#include "events/clsEvents.h"
#include "support/clsSettings.h"

#include "app/tools/EnglishLanguage.h"
#include "language/clsLanguage.h"
#include "recorder/simulated/SimulatedBackend.h"
#include <QAction>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

namespace tvk {
namespace {

const QString shippedFolder = QStringLiteral(TVK_SOURCE_DIR "/languages");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class LanguageFilesTest : public test::AppFixture {};

TEST_F(LanguageFilesTest, ShippedEnglishIsWhatTheWindowsThemselvesProduce) {
    clsLanguage english;
    buildEnglishLanguage(english);
    const QString produced = dir.filePath("English.xml");
    english.SaveXML(produced.toStdString());
    const QByteArray expected = readAll(produced);
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(readAll(shippedFolder + "/English.xml"), expected)
        << "languages/English.xml is out of date: regenerate it with tvk_make_english";

    // Every window and the messages are there.
    for (const char* db : {"frmMain", "frmReplay", "frmFilters", "frmSettings", "Messages"})
        EXPECT_GE(english.FindDatabase(db), 0) << db;
    EXPECT_FALSE(english.EntryValue(std::string("Messages"), std::string("AboutText")).text().empty());
}

// Every shipped translation names itself after its file and translates every entry English has,
// with the same kind of value.
TEST_F(LanguageFilesTest, TranslationsAreCompleteAndNamedAfterTheirFiles) {
    clsLanguage english;
    english.LoadXML((shippedFolder + "/English.xml").toStdString());
    ASSERT_GT(english.databaseCount(), 0);
    const QStringList files = QDir(shippedFolder).entryList({"*.xml"}, QDir::Files);
    EXPECT_GE(files.size(), 3);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        clsLanguage lang;
        lang.LoadXML((shippedFolder + "/" + file).toStdString());
        EXPECT_EQ(QString::fromStdString(lang.LanguageName), QFileInfo(file).completeBaseName());
        for (const auto& db : english.databases()) {
            const int32_t d = lang.FindDatabase(db.Name);
            ASSERT_GE(d, 0) << db.Name;
            EXPECT_EQ(lang.databases()[static_cast<size_t>(d)].Process, db.Process) << db.Name;
            for (const auto& entry : db.Entries) {
                const int32_t e = lang.FindEntry(d, entry.Name, {}, entry.Type);
                ASSERT_GE(e, 0) << db.Name << "." << entry.Name;
                const LanguageValue& v = lang.databases()[static_cast<size_t>(d)].Entries[static_cast<size_t>(e)].Value;
                ASSERT_EQ(v.isArray(), entry.Value.isArray()) << entry.Name;
                if (v.isArray()) {
                    EXPECT_EQ(v.lowerBound(), entry.Value.lowerBound()) << entry.Name;
                    EXPECT_EQ(v.upperBound(), entry.Value.upperBound()) << entry.Name;
                    for (const auto& item : v.items())
                        EXPECT_FALSE(item.empty()) << entry.Name;
                } else if (!entry.Value.text().empty()) {
                    EXPECT_FALSE(v.text().empty()) << entry.Name;
                }
            }
        }
    }
}

TEST_F(LanguageFilesTest, GermanTranslatesTheMainWindow) {
    QDir().mkpath(dir.filePath("Languages"));
    QFile::copy(shippedFolder + "/Deutsch.xml", dir.filePath("Languages/Deutsch.xml"));
    settings().setSetting("General", "Language", "Deutsch");
    LoadLanguage();
    auto* main = new frmMain(std::make_shared<SimulatedBackend>());
    EXPECT_EQ(main->action("mnuOpen")->text(), "Ö&ffnen");
    EXPECT_EQ(main->action("mnuOpen")->shortcut().toString(), "Ctrl+O"); // the shortcut stays
    EXPECT_TRUE(main->action("mnuLine1")->isSeparator());                // a line stays a line
    EXPECT_EQ(main->action("mnuLine1")->text(), "");
    EXPECT_EQ(main->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Ereignistyp:");
    main->document()->events()->AddEvent(MouseWheel, true, 1, 2, -120);
    main->document()->events()->AddEvent(KeyBoard, true, 1, 2, 65);
    EXPECT_EQ(main->model()->cellText(0, 2), "Mausrad");
    EXPECT_EQ(main->model()->cellText(0, 3), "-120") << "the delta, not a key";
    EXPECT_EQ(main->model()->cellText(0, 6), "True") << "horizontal";
    EXPECT_EQ(main->model()->cellText(1, 2), "KeyBoard");
    delete main;
}

// The shipped languages, each loaded live into a main window with every other window open.
class ShippedLanguagesTest : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        QDir().mkpath(dir.filePath("Languages"));
        for (const QString& file : QDir(shippedFolder).entryList({"*.xml"}, QDir::Files))
            QFile::copy(shippedFolder + "/" + file, dir.filePath("Languages/" + file));
        main = new frmMain(std::make_shared<SimulatedBackend>());
        main->show();
        main->mnuFilters_Click();
        main->mnuSettings_Click();
        main->mnuReplay_Click();
    }
    void TearDown() override {
        delete main.data();
        AppFixture::TearDown();
    }
    void switchTo(const QString& name) {
        settings().setSetting("General", "Language", name);
        LoadLanguage();
    }
    std::vector<QWidget*> dialogs() const {
        return {main->replayWindow(), main->filtersWindow(), main->settingsWindow()};
    }
    QPointer<frmMain> main;
};

const char* const kShipped[] = {"English", "Deutsch", "Italiano"};

TEST_F(ShippedLanguagesTest, EveryCaptionFitsItsControl) {
    for (const char* name : kShipped) {
        SCOPED_TRACE(name);
        switchTo(name);
        for (QWidget* window : dialogs()) {
            ASSERT_NE(window, nullptr);
            SCOPED_TRACE(window->objectName().toStdString());
            for (QWidget* control : window->findChildren<QWidget*>()) {
                if (control->parentWidget()->layout()) continue; // placed by a layout
                const QString id = control->objectName();
                const QFontMetrics fm = control->fontMetrics();
                // Every control lies inside its container.
                EXPECT_LE(control->geometry().right(), control->parentWidget()->width() - 1) << id.toStdString();
                QString caption;
                int room = control->width();
                if (auto* label = qobject_cast<QLabel*>(control)) {
                    caption = label->buddy() ? stripAccessKey(label->text()) : label->text();
                    room = label->contentsRect().width();
                    // A label ends before the box it names.
                    if (QWidget* buddy = label->buddy(); buddy && buddy->y() < label->geometry().bottom()) {
                        EXPECT_LE(label->geometry().right(), buddy->x()) << id.toStdString();
                    }
                } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
                    caption = stripAccessKey(box->title());
                    room = box->width() - 16;
                } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
                    caption = stripAccessKey(check->text());
                    room = check->width() - (check->sizeHint().width() - fm.horizontalAdvance(caption));
                } else if (auto* button = qobject_cast<QPushButton*>(control)) {
                    caption = stripAccessKey(button->text());
                    room = button->width() - 4;
                }
                if (!caption.isEmpty()) {
                    EXPECT_LE(fm.horizontalAdvance(caption), room) << id.toStdString();
                }
            }
        }
        // Every column header shows whole, and the window shows every column.
        int columns = 0;
        for (int c = 0; c < main->model()->columnCount(); ++c) {
            const QString header = main->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            EXPECT_LE(main->fontMetrics().horizontalAdvance(header), main->listView()->columnWidth(c)) << c;
            columns += main->listView()->columnWidth(c);
        }
        EXPECT_GE(main->listView()->viewport()->width(), columns);
    }
}

// Access keys of one menu, of the menu bar, or of one window's controls, as Alt+letter texts.
QStringList accessKeys(const QList<QAction*>& actions) {
    QStringList keys;
    for (QAction* a : actions)
        keys << QKeySequence::mnemonic(a->text()).toString();
    return keys;
}

QStringList accessKeys(QWidget* window) {
    QStringList keys;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(control); label && label->buddy())
            keys << QKeySequence::mnemonic(labelCaption(label)).toString();
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            keys << QKeySequence::mnemonic(button->text()).toString();
        else if (auto* box = qobject_cast<QGroupBox*>(control))
            keys << QKeySequence::mnemonic(box->title()).toString();
    }
    return keys;
}

TEST_F(ShippedLanguagesTest, NoTwoItemsOfOneMenuOrWindowShareAnAccessKey) {
    for (const char* name : kShipped) {
        SCOPED_TRACE(name);
        switchTo(name);
        std::vector<std::pair<std::string, QStringList>> groups;
        groups.emplace_back("menu bar", accessKeys(main->menuBar()->actions()));
        for (QAction* top : main->menuBar()->actions())
            if (top->menu()) groups.emplace_back(top->objectName().toStdString(), accessKeys(top->menu()->actions()));
        for (QWidget* window : dialogs())
            groups.emplace_back(window->objectName().toStdString(), accessKeys(window));
        for (auto& [group, keys] : groups) {
            keys.removeAll(QString());
            QStringList seen;
            for (const QString& key : keys) {
                EXPECT_FALSE(seen.contains(key, Qt::CaseInsensitive)) << group << ": " << key.toStdString();
                seen << key;
            }
        }
    }
}

TEST_F(ShippedLanguagesTest, MessagesAndStatusTextsAreTranslated) {
    switchTo("Deutsch");
    EXPECT_EQ(message("Recording"), "Aufnahme ...");
    EXPECT_EQ(message("SaveChanges"), QString::fromUtf8("Änderungen speichern?"));
    switchTo("Italiano");
    EXPECT_EQ(message("Replaying"), "Riproduzione ...");
    // A text the language lacks falls back to the built-in English.
    language().setEntryValue(std::string("Messages"), std::string("Replaying"), LanguageValue());
    EXPECT_EQ(message("Replaying"), "Replaying ...");
}

} // namespace
} // namespace tvk
