#include "AppTestSupport.h"

#include "app/main/frmMain.h"
#include "app/settings/frmSettings.h"
#include "events/clsEvents.h"
#include "recorder/simulated/SimulatedBackend.h"
#include "support/clsSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace tvk {
namespace {

using test::acceptNextMessage;

class SettingsWindowTest : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        QDir().mkpath(dir.filePath("Languages"));
        main = new frmMain(std::make_shared<SimulatedBackend>());
        main->show();
    }
    void TearDown() override {
        delete main.data();
        AppFixture::TearDown();
    }
    // A language file whose main and settings windows have captions of their own.
    void writeLanguage(const QString& file, const QString& name, const QString& mainCaption) {
        QFile f(dir.filePath("Languages/" + file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("<language version=\"1.0\" name=\"%1\">\r\n"
                               "   <database name=\"frmMain\" process=\"true\">\r\n"
                               "      <entry name=\"Caption\" type=\"Property\" array=\"false\">%2</entry>\r\n"
                               "   </database>\r\n"
                               "   <database name=\"frmSettings\" process=\"true\">\r\n"
                               "      <entry name=\"Caption\" type=\"Property\" array=\"false\">%2 S</entry>\r\n"
                               "   </database>\r\n"
                               "</language>\r\n")
                    .arg(name, mainCaption)
                    .toUtf8());
    }
    frmSettings* open() {
        main->mnuSettings_Click();
        return main->settingsWindow();
    }
    QStringList items(frmSettings* w) {
        QStringList out;
        for (int i = 0; i < w->languageBox()->count(); ++i)
            out << w->languageBox()->itemText(i);
        return out;
    }
    QPointer<frmMain> main;
};

TEST_F(SettingsWindowTest, ListsTheLanguageFilesAndSelectsTheLoadedOne) {
    writeLanguage("English.xml", "English", "Tavrimoskel");
    writeLanguage("Deutsch.xml", "Deutsch", "Tavrimoskel DE");
    language().LanguageName = "English";
    frmSettings* w = open();
    EXPECT_EQ(items(w), (QStringList{"Deutsch", "English"}));
    EXPECT_EQ(w->languageBox()->currentText(), "English");
    EXPECT_EQ(w->mouseUpBox()->text(), "50");
    EXPECT_EQ(w->mouseDownBox()->text(), "100");
    EXPECT_EQ(w->windowTitle(), "Settings");
}

TEST_F(SettingsWindowTest, NothingIsSelectedUnlessANameMatchesExactly) {
    writeLanguage("English.xml", "English", "Tavrimoskel");
    writeLanguage("Norsk.xml", "Norwegian", "N");
    for (const char* loaded : {"Norwegian", "english"}) {
        language().LanguageName = loaded;
        frmSettings* w = open();
        EXPECT_EQ(w->languageBox()->currentIndex(), -1) << loaded;
    }
    // Nothing selected: OK keeps the stored language rather than storing none.
    settings().setSetting("General", "Language", "English");
    open()->cmdOk_Click();
    EXPECT_EQ(settings().Setting("General", "Language", QStringLiteral("unset")), "English");
}

TEST_F(SettingsWindowTest, DetailValuesAreReadAsNumbers) {
    const std::pair<const char*, int32_t> cases[] = {{"75", 75}, {"12abc", 12}, {" 7", 7},    {"abc", 0},     {"", 0},
                                                     {"-5", -5}, {"2.5", 2},    {"&H20", 32}, {"1 000", 1000}};
    for (const auto& [text, value] : cases) {
        frmSettings* w = open();
        w->mouseUpBox()->setText(text);
        w->mouseDownBox()->setText(text);
        w->cmdOk_Click();
        EXPECT_EQ(main->document()->events()->MouseUpDetail, value) << text;
        EXPECT_EQ(main->document()->events()->MouseDownDetail, value) << text;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(main->settingsWindow(), nullptr); // OK closed the window
    }
}

TEST_F(SettingsWindowTest, AValueBeyond32BitsIsRejectedAndTheWindowStaysOpen) {
    writeLanguage("Deutsch.xml", "Deutsch", "Tavrimoskel DE");
    frmSettings* w = open();
    w->languageBox()->setCurrentText("Deutsch");
    w->mouseUpBox()->setText("77");
    w->mouseDownBox()->setText("3000000000");
    QString message;
    acceptNextMessage(&message);
    w->cmdOk_Click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(message.isEmpty());
    ASSERT_EQ(main->settingsWindow(), w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(main->document()->events()->MouseUpDetail, 50);
    EXPECT_EQ(main->document()->events()->MouseDownDetail, 100);
    EXPECT_EQ(settings().Setting("General", "Language", QStringLiteral("unset")), "unset");
}

TEST_F(SettingsWindowTest, CancelChangesNothing) {
    writeLanguage("Deutsch.xml", "Deutsch", "Tavrimoskel DE");
    frmSettings* w = open();
    w->languageBox()->setCurrentText("Deutsch");
    w->mouseUpBox()->setText("1");
    w->cmdCancel_Click();
    EXPECT_EQ(main->document()->events()->MouseUpDetail, 50);
    EXPECT_EQ(settings().Setting("General", "Language", QStringLiteral("unset")), "unset");
    EXPECT_EQ(main->windowTitle(), "Tavrimoskel");
}

TEST_F(SettingsWindowTest, TabVisitsTheControlsInTheirDesignedOrder) {
    frmSettings* w = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->hotkeysBox()->setChecked(true); // the combination boxes take the focus only while enabled
    EXPECT_EQ(test::tabOrderFrom(w->languageBox(), 9),
              (QStringList{"cmdLanguage", "txtMouseUp", "txtMouseDown", "chkHotkeys", "txtHotkeyRecord",
                           "txtHotkeyReplay", "txtHotkeyStopReplay", "cmdOk", "cmdCancel", "cmdLanguage"}));
}

TEST_F(SettingsWindowTest, EnterOnTheFocusedCancelButtonChangesNothing) {
    frmSettings* w = open();
    QPointer<frmSettings> guard(w);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    w->mouseUpBox()->setText("1");
    auto* cancel = w->findChild<QPushButton*>("cmdCancel");
    ASSERT_NE(cancel, nullptr);
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(main->document()->events()->MouseUpDetail, 50);
    EXPECT_EQ(settings().Setting("General", "Language", QStringLiteral("unset")), "unset");
}

TEST_F(SettingsWindowTest, OkStoresTheLanguageAndRetranslatesEveryOpenWindowAtOnce) {
    writeLanguage("English.xml", "English", "Tavrimoskel");
    writeLanguage("Deutsch.xml", "Deutsch", "Tavrimoskel DE");
    frmSettings* w = open();
    w->languageBox()->setCurrentText("Deutsch");
    QString settingsCaptionBeforeClosing;
    QObject::connect(w, &QWidget::windowTitleChanged, w, [&](const QString& t) { settingsCaptionBeforeClosing = t; });
    w->cmdOk_Click();
    EXPECT_EQ(settings().Setting("General", "Language"), "Deutsch");
    EXPECT_EQ(language().LanguageName, "Deutsch");
    EXPECT_EQ(main->windowTitle(), "Tavrimoskel DE");
    EXPECT_EQ(settingsCaptionBeforeClosing, "Tavrimoskel DE S");
    // A window opened later translates itself when it loads.
    EXPECT_EQ(open()->windowTitle(), "Tavrimoskel DE S");
}

TEST_F(SettingsWindowTest, ABrokenLanguageFileIsReportedAndWhatLoadedStaysApplied) {
    QFile f(dir.filePath("Languages/Broken.xml"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<language version=\"1.0\" name=\"Broken\">"
            "<database name=\"frmMain\" process=\"true\">"
            "<entry name=\"Caption\" type=\"Property\" array=\"false\">Half loaded</entry></database>"
            "<database name=\"frmSettings\" process=\"maybe\"></database></language>");
    f.close();
    settings().setSetting("General", "Language", "Broken");
    QString message;
    acceptNextMessage(&message);
    EXPECT_FALSE(loadLanguageReporting(main));
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(main->windowTitle(), "Half loaded");
}

TEST_F(SettingsWindowTest, LanguageFileIsLookedUpInTheLanguagesFolderWithEnglishAsDefault) {
    writeLanguage("English.xml", "English", "From English");
    LoadLanguage();
    EXPECT_EQ(language().LanguageName, "English");
    EXPECT_EQ(main->windowTitle(), "From English");
    settings().setSetting("General", "Language", "Missing");
    LoadLanguage(); // a missing file leaves the previous language in place
    EXPECT_EQ(language().LanguageName, "English");
}

} // namespace
} // namespace tvk
