#include "language/clsLanguage.h"
#include "events/RuntimeError.h"
#include "language/TextCompare.h"

#include "common/ErrorNumber.h"

#include <gtest/gtest.h>

using tvk::clsLanguage;
using tvk::LanguageValue;
using tvk::RuntimeError;

namespace {

using tvk::test::errorOf;

// "Messages" (no flag) with AboutText/AboutTitle, then "frmMain" (flag) with a caption.
clsLanguage sample() {
    clsLanguage lang;
    const auto m = lang.AppendDatabase("Messages", false);
    lang.AppendEntry(m, "AboutText", LanguageValue("About text"), "Text");
    lang.AppendEntry(m, "AboutTitle", LanguageValue("About title"), "Text");
    const auto f = lang.AppendDatabase("frmMain", true);
    lang.AppendEntry(f, "Caption", LanguageValue("Main"));
    return lang;
}

} // namespace

TEST(language_Database, NewObjectHasNoDatabasesAndVersionOne) {
    clsLanguage lang;
    EXPECT_FALSE(lang.IsDatabase(0));
    EXPECT_EQ(lang.LanguageVersion, "1.0");
    EXPECT_EQ(lang.LanguageName, "");
    EXPECT_TRUE(lang.EntryValue("Messages", "AboutText").isEmpty());
    EXPECT_EQ(lang.EntryValue("Messages", "AboutText").text(), "");
}

TEST(language_Database, AppendReturnsFormerCountAndDefaultsTypeToProperty) {
    clsLanguage lang;
    EXPECT_EQ(lang.AppendDatabase("a", false), 0);
    EXPECT_EQ(lang.AppendDatabase("b", true), 1);
    EXPECT_EQ(lang.AppendEntry(1, "x", LanguageValue("1")), 0);
    EXPECT_EQ(lang.AppendEntry(1, "y", LanguageValue("2"), "Label"), 1);
    EXPECT_EQ(lang.databases()[1].Entries[0].Type, "Property");
    EXPECT_EQ(lang.databases()[1].Entries[1].Type, "Label");
    EXPECT_TRUE(lang.IsEntry(1, 1));
    EXPECT_FALSE(lang.IsEntry(1, 2));
    EXPECT_FALSE(lang.IsEntry(0, 0));
    EXPECT_FALSE(lang.IsEntry(-1, 0));
}

TEST(language_Database, AppendEntryToMissingDatabaseIsSubscriptError) {
    clsLanguage lang;
    EXPECT_EQ(errorOf([&] { lang.AppendEntry(0, "x", {}); }), 9);
    lang.AppendDatabase("a", false);
    EXPECT_EQ(errorOf([&] { lang.AppendEntry(1, "x", {}); }), 9);
    EXPECT_EQ(errorOf([&] { lang.AppendEntry(-1, "x", {}); }), 9);
    EXPECT_TRUE(lang.databases()[0].Entries.empty());
}

TEST(language_Database, NamesMatchIgnoringCase) {
    const auto lang = sample();
    for (const char* db : {"Messages", "messages", "MESSAGES"}) {
        for (const char* entry : {"AboutText", "abouttext", "ABOUTTEXT"}) {
            EXPECT_EQ(lang.EntryValue(db, entry).text(), "About text") << db << "/" << entry;
        }
    }
    EXPECT_TRUE(tvk::equalsIgnoreCase("Größe", "GRÖSSE") == false); // no expansion of sharp s
    EXPECT_TRUE(tvk::equalsIgnoreCase("Ölkännchen", "öLKÄNNCHEN"));
    EXPECT_TRUE(tvk::equalsIgnoreCase("Привет", "пРИВЕТ"));
    EXPECT_FALSE(tvk::equalsIgnoreCase("abc", "abcd"));
}

TEST(language_Database, NumericTextsAreIndices) {
    auto lang = sample();
    EXPECT_EQ(lang.EntryValue(0, 0).text(), "About text");
    EXPECT_EQ(lang.EntryValue("0", "0").text(), "About text");
    EXPECT_EQ(lang.EntryValue(" 1 ", "0").text(), "Main");
    EXPECT_EQ(lang.EntryValue("0", "1.0").text(), "About title");
    // A database named like a number cannot be reached by its name.
    const auto d = lang.AppendDatabase("12", false);
    lang.AppendEntry(d, "x", LanguageValue("twelve"));
    EXPECT_TRUE(lang.EntryValue("12", "x").isEmpty());
    EXPECT_EQ(lang.EntryValue(d, "x").text(), "twelve");
}

TEST(language_Database, TextAsIndexRule) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> index;
    };
    const Case cases[] = {
        {"7", 7},
        {" 7 ", 7},
        {"+7", 7},
        {"-3", -3},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {".5", 0},
        {"1.", 1},
        {"", {}},
        {"abc", {}},
        {"1a", {}},
        {"1e3", {}},
        {"0x10", {}},
        {"- 1", {}},
        {"2147483647", 2147483647},
        {"2147483648", -1},
        {"99999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
         "99999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
         "99999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
         "999999999999999999999",
         -1},
        {"-2147483648", INT32_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tvk::textAsIndex(c.text), c.index) << '"' << c.text << '"';
}

TEST(language_Database, FindDatabaseTakesFirstMatchAndOptionalFlag) {
    clsLanguage lang;
    for (int i = 0; i < 6; ++i)
        lang.AppendDatabase(i == 2 || i == 5 ? "Twin" : "other" + std::to_string(i), i == 5);
    EXPECT_EQ(lang.FindDatabase("twin"), 2);
    EXPECT_EQ(lang.FindDatabase("Twin", true), 5);
    EXPECT_EQ(lang.FindDatabase("Twin", false), 2);
    EXPECT_EQ(lang.FindDatabase("missing"), -1);

    clsLanguage single;
    single.AppendDatabase("Solo", false);
    EXPECT_EQ(single.FindDatabase("Solo", true), -1);
    EXPECT_EQ(single.FindDatabase("Solo"), 0);
}

TEST(language_Database, FindEntryCriteria) {
    clsLanguage lang;
    const auto d = lang.AppendDatabase("db", false);
    lang.AppendEntry(d, "Name", LanguageValue("one"), "Label");
    lang.AppendEntry(d, "name", LanguageValue("two"), "Menu");
    EXPECT_EQ(lang.FindEntry(d, "NAME"), 0);
    EXPECT_EQ(lang.FindEntry(d, "name", LanguageValue(""), ""), 0);
    EXPECT_EQ(lang.FindEntry(d, "name", LanguageValue("TWO")), 1);
    EXPECT_EQ(lang.FindEntry(d, "name", {}, "menu"), 1);
    EXPECT_EQ(lang.FindEntry(d, "name", LanguageValue("three")), -1);
    EXPECT_EQ(lang.FindEntry(d, "other"), -1);
    EXPECT_EQ(lang.FindEntry(7, "name"), -1);

    lang.AppendEntry(d, "name", LanguageValue::array(0, {"A", "b"}), "ListBox");
    EXPECT_EQ(lang.FindEntry(d, "name", LanguageValue::array(0, {"a", "B"})), 2);
    EXPECT_EQ(lang.FindEntry(d, "name", LanguageValue::array(1, {"a", "B"})), -1);
    EXPECT_EQ(lang.FindEntry(d, "name", LanguageValue::array(0, {"a"})), -1);
    EXPECT_EQ(lang.FindEntry(d, "name", LanguageValue::array(0, {"one"})), -1); // array against a text
}

TEST(language_Database, ClearingKeepsWhatTheRulesKeep) {
    auto lang = sample();
    lang.LanguageName = "Deutsch";
    lang.ClearEntries(7); // no such database: nothing happens
    EXPECT_EQ(lang.databases()[0].Entries.size(), 2u);
    lang.ClearEntries(1);
    EXPECT_EQ(lang.databases()[1].Name, "frmMain");
    EXPECT_TRUE(lang.databases()[1].Process);
    EXPECT_TRUE(lang.databases()[1].Entries.empty());
    EXPECT_EQ(lang.FindDatabase("frmMain", true), 1);
    lang.ClearDatabases();
    EXPECT_EQ(lang.databaseCount(), 0);
    EXPECT_EQ(lang.LanguageName, "Deutsch");
}

TEST(language_Database, EntryValueWriteChangesOnlyExistingEntries) {
    auto lang = sample();
    lang.setEntryValue("Messages", "AboutText", LanguageValue("new"));
    EXPECT_EQ(lang.EntryValue("Messages", "AboutText").text(), "new");
    lang.setEntryValue("Messages", "Nothing", LanguageValue("x"));
    lang.setEntryValue("Nowhere", "AboutText", LanguageValue("x"));
    lang.setEntryValue(0, 99, LanguageValue("x"));
    EXPECT_EQ(lang.databases()[0].Entries.size(), 2u);
    EXPECT_TRUE(lang.EntryValue("Messages", "Nothing").isEmpty());
}

TEST(language_Database, ArrayValuesAreCopies) {
    clsLanguage lang;
    const auto d = lang.AppendDatabase("db", false);
    lang.AppendEntry(d, "list", LanguageValue::array(1, {"a", "b", "c"}));
    auto copy = lang.EntryValue("db", "list");
    ASSERT_TRUE(copy.isArray());
    EXPECT_EQ(copy.lowerBound(), 1);
    EXPECT_EQ(copy.upperBound(), 3);
    copy.setItem(2, "changed");
    EXPECT_EQ(lang.EntryValue("db", "list").item(2), "b");
    EXPECT_EQ(errorOf([&] { (void)lang.EntryValue("db", "list").text(); }), 13);
}

TEST(language_Value, ArrayBoundsAndAccessErrors) {
    EXPECT_EQ(errorOf([] { LanguageValue::array(0, {}); }), 9);
    EXPECT_EQ(errorOf([] { LanguageValue::array(INT32_MAX, {"a", "b"}); }), 9);
    const auto top = LanguageValue::array(INT32_MAX, {"last"});
    EXPECT_EQ(top.upperBound(), INT32_MAX);
    const auto low = LanguageValue::array(INT32_MIN, {"a", "b"});
    EXPECT_EQ(low.item(INT32_MIN + 1), "b");
    EXPECT_EQ(errorOf([&] { (void)low.item(INT32_MAX); }), 9);
    EXPECT_EQ(errorOf([&] { (void)low.item(INT32_MIN + 2); }), 9);
    EXPECT_EQ(errorOf([] { (void)LanguageValue("t").lowerBound(); }), 13);
    EXPECT_EQ(LanguageValue().text(), "");
}
