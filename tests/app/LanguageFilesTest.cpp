#include "AppTestSupport.h"

#include "app/main/EventListModel.h"
#include "app/main/frmMain.h"
#include "events/clsEvents.h"
#include "support/clsSettings.h"

#include "app/tools/EnglishLanguage.h"
#include "language/clsLanguage.h"
#include "recorder/simulated/SimulatedBackend.h"
#include <QAction>

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    main->Events->AddEvent(MouseWheel, true, 1, 2, -120);
    main->Events->AddEvent(KeyBoard, true, 1, 2, 65);
    EXPECT_EQ(main->model()->cellText(0, 2), "Mausrad");
    EXPECT_EQ(main->model()->cellText(0, 3), "-120") << "the delta, not a key";
    EXPECT_EQ(main->model()->cellText(0, 6), "True") << "horizontal";
    EXPECT_EQ(main->model()->cellText(1, 2), "KeyBoard");
    delete main;
}

} // namespace
} // namespace tvk
