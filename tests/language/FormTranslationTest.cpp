#include "events/RuntimeError.h"
#include "language/MemoryForm.h"
#include "language/clsLanguage.h"

#include "common/ErrorNumber.h"

#include <gtest/gtest.h>

using tvk::clsLanguage;
using tvk::LanguageValue;
using tvk::MemoryControl;
using tvk::MemoryForm;
using tvk::RuntimeError;

namespace {

using tvk::test::errorOf;

// A window with one control of every kind the translation knows, each holding some text.
struct TestWindow {
    MemoryForm form{"frmTest", "Test window"};
    MemoryControl& button = form.add("cmdGo", "CommandButton");
    MemoryControl& label = form.add("lblInfo", "Label");
    MemoryControl& text = form.add("txtInput", "TextBox");
    MemoryControl& check = form.add("chkOn", "CheckBox");
    MemoryControl& frame = form.add("frameBox", "Frame");
    MemoryControl& picture = form.add("picArea", "PictureBox");
    MemoryControl& combo = form.add("cmdLanguage", "ComboBox");
    MemoryControl& listBox = form.add("lstNames", "ListBox");
    MemoryControl& listView = form.add("lstEvents", "ListView");
    MemoryControl& menu = form.add("mnuRecord", "Menu");
    MemoryControl& status = form.add("sbStatus", "StatusBar");
    MemoryControl& tabStrip = form.add("tabs", "TabStrip");
    MemoryControl& columns = form.add("vlv", "vbalListViewCtl1");
    MemoryControl& ssTab = form.add("sst", "SSTab");
    MemoryControl& option = form.add("optA", "OptionBox");

    TestWindow() {
        button.caption = "&Go";
        label.caption = "Info";
        text.text = "typed";
        check.caption = "&On";
        frame.caption = "Group";
        picture.text = "";
        combo.list = {"English", "Deutsch"};
        combo.text = "English";
        listBox.list = {"a"};
        listView.members["ColumnHeaders"].texts = {"Type", "Data"};
        menu.caption = "&Record";
        menu.shortcut = "Ctrl+R";
        status.text = "Ready";
        tabStrip.members["Tabs"].texts = {"One"};
        columns.members["Columns"].texts = {"C1", "C2", "C3"};
        ssTab.tabCaptions = {"T0", "T1"};
        option.caption = "Opt";
    }
};

} // namespace

TEST(language_Forms, AppendFormCapturesEveryKindByTheTable) {
    TestWindow w;
    w.form.caption = "Replay";
    clsLanguage lang;
    lang.AppendForm(w.form, "*");
    ASSERT_EQ(lang.databaseCount(), 1);
    const auto& db = lang.databases()[0];
    EXPECT_EQ(db.Name, "frmTest");
    EXPECT_TRUE(db.Process);
    struct Expected {
        const char* name;
        const char* type;
        LanguageValue value;
    };
    const std::vector<Expected> expected = {
        {"Caption", "Property", LanguageValue("Replay")},
        {"cmdGo", "CommandButton", LanguageValue("&Go")},
        {"lblInfo", "Label", LanguageValue("Info")},
        {"txtInput", "TextBox", LanguageValue("typed")},
        {"chkOn", "CheckBox", LanguageValue("&On")},
        {"frameBox", "Frame", LanguageValue("Group")},
        {"picArea", "PictureBox", LanguageValue("")},
        {"cmdLanguage", "ComboBox", LanguageValue::array(0, {"English", "Deutsch"})},
        {"lstNames", "ListBox", LanguageValue::array(0, {"a"})},
        {"lstEvents", "ListView", LanguageValue::array(1, {"Type", "Data"})},
        {"mnuRecord", "Menu", LanguageValue("&Record")},
        {"sbStatus", "StatusBar", LanguageValue("Ready")},
        {"tabs", "TabStrip", LanguageValue::array(0, {"One"})},
        {"vlv", "vbalListViewCtl1", LanguageValue::array(0, {"C1", "C2", "C3"})},
        {"sst", "SSTab", LanguageValue::array(0, {"T0", "T1"})},
        {"optA", "OptionBox", LanguageValue("Opt")},
    };
    ASSERT_EQ(db.Entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(db.Entries[i].Name, expected[i].name) << i;
        EXPECT_EQ(db.Entries[i].Type, expected[i].type) << i;
        EXPECT_EQ(db.Entries[i].Value, expected[i].value) << expected[i].name;
    }
}

TEST(language_Forms, AppendFormFiltersKindsIgnoringCase) {
    TestWindow w;
    clsLanguage lang;
    lang.AppendForm(w.form, "");
    ASSERT_EQ(lang.databases()[0].Entries.size(), 1u);
    EXPECT_EQ(lang.databases()[0].Entries[0].Name, "Caption");

    lang.AppendForm(w.form, "label;menu");
    const auto& entries = lang.databases()[0].Entries;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].Name, "lblInfo");
    EXPECT_EQ(entries[2].Name, "mnuRecord");
}

TEST(language_Forms, AppendFormTwiceRefillsTheSameDatabase) {
    TestWindow w;
    clsLanguage lang;
    lang.AppendDatabase("frmTest", false); // same name without the flag is not the window's database
    lang.AppendDatabase("Messages", false);
    lang.AppendForm(w.form, "Label");
    w.label.caption = "Changed";
    lang.AppendForm(w.form, "Label");
    ASSERT_EQ(lang.databaseCount(), 3);
    EXPECT_EQ(lang.FindDatabase("frmTest", true), 2);
    EXPECT_TRUE(lang.databases()[0].Entries.empty());
    ASSERT_EQ(lang.databases()[2].Entries.size(), 2u);
    EXPECT_EQ(lang.EntryValue(2, "lblInfo").text(), "Changed");
}

TEST(language_Forms, AppendFormStopsAtTheFirstFailure) {
    TestWindow w;
    w.combo.list.clear(); // an empty list cannot be captured
    clsLanguage lang;
    EXPECT_EQ(errorOf([&] { lang.AppendForm(w.form, "*"); }), 9);
    const auto& entries = lang.databases()[0].Entries;
    ASSERT_EQ(entries.size(), 7u); // caption and the six controls before the combo box
    EXPECT_EQ(entries.back().Name, "picArea");

    TestWindow v;
    v.label.failing.insert("default");
    clsLanguage other;
    EXPECT_EQ(errorOf([&] { other.AppendForm(v.form, "Label"); }), 5);

    MemoryForm bare("frmBare");
    bare.add("thing", "Gizmo"); // a kind with no default property
    EXPECT_EQ(errorOf([&] { other.AppendForm(bare, "*"); }), 438);
}

TEST(language_Forms, CaptureThenApplyRestoresEveryText) {
    TestWindow original;
    clsLanguage lang;
    lang.AppendForm(original.form, "*");

    TestWindow w;
    w.form.caption = "x";
    w.button.caption = w.label.caption = w.text.text = w.check.caption = w.frame.caption = "x";
    w.combo.list = {"x", "y", "z"};
    w.listBox.list.clear();
    w.listView.members["ColumnHeaders"].texts = {"x"};
    w.menu.caption = w.status.text = w.option.caption = "x";
    w.tabStrip.members["Tabs"].texts.clear();
    w.columns.members["Columns"].texts = {"x"};
    w.ssTab.tabCaptions = {"x", "y", "z", "w"};
    lang.ProcessForm(w.form);

    EXPECT_EQ(w.form.caption, "Test window");
    EXPECT_EQ(w.button.caption, "&Go");
    EXPECT_EQ(w.label.caption, "Info");
    EXPECT_EQ(w.text.text, "typed");
    EXPECT_EQ(w.check.caption, "&On");
    EXPECT_EQ(w.check.value, 0);
    EXPECT_EQ(w.frame.caption, "Group");
    EXPECT_EQ(w.combo.list, (std::vector<std::string>{"English", "Deutsch"}));
    EXPECT_EQ(w.listBox.list, (std::vector<std::string>{"a"}));
    EXPECT_EQ(w.listView.members["ColumnHeaders"].texts, (std::vector<std::string>{"Type", "Data"}));
    EXPECT_EQ(w.menu.caption, "&Record");
    EXPECT_EQ(w.menu.shortcut, "Ctrl+R");
    EXPECT_EQ(w.status.text, "Ready");
    EXPECT_EQ(w.tabStrip.members["Tabs"].texts, (std::vector<std::string>{"One"}));
    EXPECT_EQ(w.columns.members["Columns"].texts, (std::vector<std::string>{"C1", "C2", "C3"}));
    EXPECT_EQ(w.ssTab.tabCaptions, (std::vector<std::string>{"T0", "T1"}));
    EXPECT_EQ(w.option.caption, "Opt");
}

TEST(language_Forms, ProcessFormSkipsFailingStepsAndGoesOn) {
    TestWindow w;
    w.listView.members["ColumnHeaders"].failOnAdd = true;
    clsLanguage lang;
    const auto d = lang.AppendDatabase("FRMTEST", true);
    lang.AppendEntry(d, "Caption", LanguageValue("Translated"));
    lang.AppendEntry(d, "NoSuchProperty", LanguageValue("x"));                          // property write fails
    lang.AppendEntry(d, "cmdMissing", LanguageValue("x"), "CommandButton");             // no such control
    lang.AppendEntry(d, "cmdGo", LanguageValue::array(0, {"a", "b"}), "CommandButton"); // array as caption
    lang.AppendEntry(d, "lstNames", LanguageValue("plain"), "ListBox");                 // text for a list
    lang.AppendEntry(d, "lstEvents", LanguageValue::array(1, {"A", "B"}), "ListView");  // Add fails
    lang.AppendEntry(d, "lblInfo", LanguageValue::array(0, {"a"}), "ListBox");          // a label has no Clear
    lang.AppendEntry(d, "sst", LanguageValue::array(0, {"a", "b", "c", "d"}), "SSTab");
    lang.AppendEntry(d, "cmdLanguage", LanguageValue::array(0, {"x", "y", "z"}), "ComboBox");
    lang.AppendEntry(d, "lblInfo", LanguageValue("Label text"), "Label");
    lang.AppendEntry(d, "mnuRecord", LanguageValue("&Aufnahme"), "menu");
    lang.AppendEntry(d, "chkOn", LanguageValue("&An"), "CheckBox");
    lang.AppendEntry(d, "txtInput", LanguageValue("new text"), "TextBox");

    lang.ProcessForm(w.form);
    EXPECT_EQ(w.form.caption, "Translated");
    EXPECT_EQ(w.button.caption, "&Go");
    EXPECT_EQ(w.listBox.list, std::vector<std::string>{"a"});
    EXPECT_TRUE(w.listView.members["ColumnHeaders"].texts.empty()); // cleared, then the first Add failed
    EXPECT_EQ(w.ssTab.tabCaptions, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(w.combo.list, (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(w.label.caption, "Label text");
    EXPECT_EQ(w.menu.caption, "&Aufnahme");
    EXPECT_EQ(w.menu.shortcut, "Ctrl+R");
    EXPECT_EQ(w.check.caption, "&An");
    EXPECT_EQ(w.text.text, "new text");
}

TEST(language_Forms, ProcessFormNeedsTheFlaggedDatabaseOfTheWindow) {
    TestWindow w;
    clsLanguage lang;
    const auto d = lang.AppendDatabase("frmTest", false);
    lang.AppendEntry(d, "Caption", LanguageValue("Unflagged"));
    const auto o = lang.AppendDatabase("frmOther", true);
    lang.AppendEntry(o, "Caption", LanguageValue("Other"));
    lang.ProcessForm(w.form);
    EXPECT_EQ(w.form.caption, "Test window");
}

TEST(language_Forms, SwitchingLanguagesKeepsTextsWithoutEntries) {
    TestWindow w;
    clsLanguage first;
    auto d = first.AppendDatabase("frmTest", true);
    first.AppendEntry(d, "lblInfo", LanguageValue("Erste"), "Label");
    first.AppendEntry(d, "cmdGo", LanguageValue("&Los"), "CommandButton");
    clsLanguage second;
    d = second.AppendDatabase("frmTest", true);
    second.AppendEntry(d, "lblInfo", LanguageValue("Second"), "Label");
    first.ProcessForm(w.form);
    second.ProcessForm(w.form);
    EXPECT_EQ(w.label.caption, "Second");
    EXPECT_EQ(w.button.caption, "&Los");
}

TEST(language_Forms, UpdateAllTranslatesEachWindowAndRejectsNull) {
    TestWindow a;
    MemoryForm b("frmOther", "Other");
    clsLanguage lang;
    lang.AppendEntry(lang.AppendDatabase("frmTest", true), "Caption", LanguageValue("A!"));
    lang.AppendEntry(lang.AppendDatabase("frmOther", true), "Caption", LanguageValue("B!"));
    lang.UpdateAll({});
    EXPECT_EQ(a.form.caption, "Test window");
    lang.UpdateAll({&a.form, &b});
    EXPECT_EQ(a.form.caption, "A!");
    EXPECT_EQ(b.caption, "B!");

    b.caption = "reset";
    EXPECT_EQ(errorOf([&] { lang.UpdateAll({&b, nullptr, &a.form}); }), 91);
    EXPECT_EQ(b.caption, "B!");
}
