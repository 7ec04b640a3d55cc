#include "common/TempDir.h"

#include "events/RuntimeError.h"
#include "language/MemoryForm.h"
#include "support/clsSettings.h"

#include "common/ErrorNumber.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using tvk::clsSettings;
using tvk::MemoryForm;
using tvk::RuntimeError;

namespace {

using tvk::test::errorOf;

class support_Settings : public TempDirTest {
protected:
    QString file() const { return QString::fromStdString(path("settings.ini")); }
    std::string text() const { return read(path("settings.ini")); }
};

} // namespace

TEST_F(support_Settings, ReadsDefaultsAndStoredTexts) {
    clsSettings s(file());
    EXPECT_EQ(s.Setting("General", "Language", QString("English")), "English");
    EXPECT_EQ(s.Setting("General", "Missing"), "");
    s.setSetting("General", "Language", "");
    EXPECT_EQ(s.Setting("General", "Language", QString("English")), ""); // the key exists
    s.setSetting("Numbers", "Three", QString::number(3));
    EXPECT_EQ(s.Setting("Numbers", "Three"), "3");
    clsSettings again(file());
    EXPECT_EQ(again.Setting("Numbers", "Three"), "3");
}

TEST_F(support_Settings, GeneralIsAnOrdinarySectionInTheFile) {
    {
        clsSettings s(file());
        s.setSetting("General", "Language", "Deutsch");
    }
    EXPECT_EQ(text(), "[General]\nLanguage=Deutsch\n");

    write("settings.ini", "; edited by hand\r\n[General]\r\n  Language = Français \r\n\r\n[Other]\r\nKey=1\r\n");
    clsSettings s(file());
    EXPECT_EQ(s.Setting("General", "Language"), "Français");
    EXPECT_EQ(s.Setting("general", "LANGUAGE"), "Français"); // sections and keys ignore letter case
    s.setSetting("GENERAL", "language", "Deutsch");          // writes over the key as the person spelt it
    EXPECT_EQ(text(), "[General]\nLanguage=Deutsch\n\n[Other]\nKey=1\n");
}

TEST_F(support_Settings, AwkwardTextsSurviveAndQuoteOnlyWhenNeeded) {
    const QString awkward[] = {" lead and trail ", "two\nlines\r\n", "back\\slash", "\"quoted\"",
                               "a=b;c#d",          "tab\there",      "ctl\x01",     ""};
    {
        clsSettings s(file());
        for (int i = 0; i < 8; ++i)
            s.setSetting("Sec", QString("k%1").arg(i), awkward[i]);
        s.setSetting("Odd]Section", "key=with;sign", "v");
    }
    clsSettings s(file());
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(s.Setting("Sec", QString("k%1").arg(i)), awkward[i]) << i;
    EXPECT_EQ(s.Setting("Odd]Section", "key=with;sign"), "v");
    EXPECT_NE(text().find("k4=a=b;c#d\n"), std::string::npos) << text();
}

TEST_F(support_Settings, DamagedFileStillStartsAndIsRewrittenCleanly) {
    const char damaged[] = "\xFF\xFE garbage\n[General\nLanguage\n=nokey\n[General]\nLanguage=Deutsch\n\0\x01";
    write("settings.ini", std::string(damaged, sizeof damaged - 1));
    clsSettings s(file());
    EXPECT_EQ(s.Setting("General", "Language", QString("English")), "Deutsch");
    s.setSetting("General", "Language", "English");
    clsSettings again(file());
    EXPECT_EQ(again.Setting("General", "Language"), "English");
}

TEST_F(support_Settings, UnwritableFileRaisesAnError) {
    write("blocker", "a file where a folder should be");
    clsSettings s(QString::fromStdString(path("blocker") + "/settings.ini"));
    EXPECT_EQ(s.Setting("General", "Language", QString("English")), "English");
    EXPECT_EQ(errorOf([&] { s.setSetting("General", "Language", "Deutsch"); }), 75);
}

TEST_F(support_Settings, DefaultStoreLivesInTheUserConfigurationFolder) {
    QSettings::setPath(clsSettings::format(), QSettings::UserScope, QString::fromStdString(dir.string()));
    clsSettings s;
    EXPECT_EQ(s.fileName().toStdString(), path("Tavrimoskel/Tavrimoskel.ini"));
    s.setSetting("General", "Language", "Deutsch");
    EXPECT_EQ(read(path("Tavrimoskel/Tavrimoskel.ini")), "[General]\nLanguage=Deutsch\n");
}

TEST_F(support_Settings, FormSaveAndLoadTaggedControls) {
    MemoryForm form("frmTest");
    auto& name = form.add("txtName", "TextBox", "Name");
    auto& check = form.add("chkOn", "CheckBox");
    auto& combo = form.add("cmdPick", "ComboBox", "Pick");
    auto& twin = form.add("txtTwin", "TextBox", "Name");
    name.text = "first";
    check.value = 1;
    combo.list = {"a", "b", "c", "d"};
    combo.listIndex = 3;
    twin.text = "second";

    clsSettings s(file());
    s.FormSave(form, "Form");
    EXPECT_EQ(s.Setting("Form", "Name"), "second"); // the later control of a shared tag wins
    EXPECT_EQ(s.Setting("Form", "Pick"), "3");
    EXPECT_EQ(text().find("chkOn"), std::string::npos);

    name.text = twin.text = "changed";
    combo.listIndex = 0;
    s.FormLoad(form, "Form");
    EXPECT_EQ(name.text, "second");
    EXPECT_EQ(twin.text, "second");
    EXPECT_EQ(combo.listIndex, 3);

    MemoryForm fresh("frmFresh");
    auto& untouched = fresh.add("txt", "TextBox", "Nothing");
    untouched.text = "kept";
    s.FormLoad(fresh, "Empty");
    EXPECT_EQ(untouched.text, "kept");
}

TEST_F(support_Settings, FormSaveAndLoadStopAtAFailingControl) {
    MemoryForm form("frmTest");
    auto& before = form.add("txtA", "TextBox", "A");
    form.add("lblB", "Label", "B"); // a kind without a value property
    auto& after = form.add("txtC", "TextBox", "C");
    before.text = "a";
    after.text = "c";
    clsSettings s(file());
    EXPECT_EQ(errorOf([&] { s.FormSave(form, "F"); }), 438);
    EXPECT_EQ(s.Setting("F", "A"), "a");
    EXPECT_EQ(s.Setting("F", "C", QString("none")), "none");

    MemoryForm picks("frmPicks");
    auto& combo = picks.add("cmb", "ComboBox", "P");
    combo.list = {"x"};
    s.setSetting("G", "P", "abc");
    EXPECT_EQ(errorOf([&] { s.FormLoad(picks, "G"); }), 13);
    s.setSetting("G", "P", "5");
    EXPECT_EQ(errorOf([&] { s.FormLoad(picks, "G"); }), 380);
    EXPECT_EQ(combo.listIndex, -1);
}

TEST_F(support_Settings, WritingKeepsALinkAndTheFilesModeOwnerAndGroup) {
    std::filesystem::create_directory(dir / "real");
    write("real/settings.ini", "[General]\nLanguage=Deutsch\n");
    ::chmod(path("real/settings.ini").c_str(), 0604);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path("real/settings.ini").c_str(), 4321, 8765), 0);
    }
    std::filesystem::create_symlink("real/settings.ini", dir / "settings.ini");

    clsSettings(file()).setSetting("General", "Language", "Italiano");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "settings.ini"));
    EXPECT_EQ(read(path("real/settings.ini")), "[General]\nLanguage=Italiano\n");
    struct stat st {};
    ASSERT_EQ(::stat(path("real/settings.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    if (root) {
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 8765u);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "real"), {}), 1);

    // A new file gets the mode the umask allows.
    const mode_t previous = ::umask(027);
    clsSettings(QString::fromStdString(path("fresh.ini"))).setSetting("General", "Language", "Deutsch");
    ::umask(previous);
    ASSERT_EQ(::stat(path("fresh.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}
