#include "common/TempDir.h"

#include "events/RuntimeError.h"
#include "language/LanguageFileLimits.h"
#include "language/clsLanguage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <vector>

using tvk::clsLanguage;
using tvk::LanguageValue;
using tvk::RuntimeError;

namespace {

class language_File : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        lang.setParseErrorHandler([this](const std::string& m) { messages.push_back(m); });
    }

    // Loads `xml` and returns the runtime error number it raised, 0 for none.
    int load(const std::string& xml) {
        try {
            lang.LoadXML(write("lang.xml", xml));
        } catch (const RuntimeError& e) {
            return e.number();
        }
        return 0;
    }

    clsLanguage lang;
    std::vector<std::string> messages;
};

const std::string CRLF = "\r\n";

} // namespace

TEST_F(language_File, SaveOfNewObjectIsRootWithLineBreakOnly) {
    lang.SaveXML(path("new.xml"));
    EXPECT_EQ(read(path("new.xml")), "<language version=\"1.0\" name=\"\">\r\n</language>\r\n");
}

TEST_F(language_File, SaveWritesTheExactLayout) {
    lang.LanguageName = "English";
    lang.LanguageVersion = "2.1";
    const auto empty = lang.AppendDatabase("Empty", false);
    const auto main = lang.AppendDatabase("frmMain", true);
    lang.AppendEntry(main, "Caption", LanguageValue("Tavrimoskel & <co> \"q\""));
    lang.AppendEntry(main, "cmdStart", LanguageValue("&Start"), "CommandButton");
    lang.AppendEntry(main, "lstEvents", LanguageValue::array(1, {"Type", "", "Data"}), "ListView");
    lang.AppendEntry(main, "Nothing", LanguageValue(), "Label");
    (void)empty;
    lang.SaveXML(path("out.xml"));

    const std::string expected =
        "<language version=\"2.1\" name=\"English\">" + CRLF +             //
        "   <database name=\"Empty\" process=\"false\">" + CRLF +          //
        "   </database>" + CRLF +                                          //
        "   <database name=\"frmMain\" process=\"true\">" + CRLF +         //
        "      <entry name=\"Caption\" type=\"Property\" array=\"false\">" //
        "Tavrimoskel &amp; &lt;co&gt; \"q\"</entry>" +
        CRLF + //
        "      <entry name=\"cmdStart\" type=\"CommandButton\" array=\"false\">&amp;Start</entry>" + CRLF +
        "      <entry name=\"lstEvents\" type=\"ListView\" array=\"true\">" + CRLF + //
        "         <bound min=\"1\" max=\"3\"/>" + CRLF +                             //
        "         <item id=\"1\">Type</item>" + CRLF +                               //
        "         <item id=\"2\"/>" + CRLF +                                         //
        "         <item id=\"3\">Data</item>" + CRLF +                               //
        "      </entry>" + CRLF +                                                    //
        "      <entry name=\"Nothing\" type=\"Label\" array=\"false\"/>" + CRLF +    //
        "   </database>" + CRLF +                                                    //
        "</language>" + CRLF;
    EXPECT_EQ(read(path("out.xml")), expected);
}

TEST_F(language_File, SaveEscapesAttributesAndKeepsLineBreaksInTexts) {
    lang.LanguageName = "a\"b<c>&\td\r\ne";
    const auto d = lang.AppendDatabase("db", false);
    lang.AppendEntry(d, " lead", LanguageValue("  two\r\nlines\n\tand trail  "), "T");
    lang.SaveXML(path("esc.xml"));
    const std::string text = read(path("esc.xml"));
    EXPECT_NE(text.find("name=\"a&quot;b&lt;c&gt;&amp;&#9;d&#13;&#10;e\""), std::string::npos) << text;
    EXPECT_NE(text.find(">  two&#13;\nlines\n\tand trail  </entry>"), std::string::npos) << text;

    clsLanguage back;
    back.LoadXML(path("esc.xml"));
    EXPECT_EQ(back.LanguageName, lang.LanguageName);
    EXPECT_EQ(back.EntryValue("db", " lead").text(), "  two\r\nlines\n\tand trail  ");
}

TEST_F(language_File, SaveRefusesTextXmlCannotHoldAndLeavesTheFile) {
    const std::string target = write("keep.xml", "old");
    const auto d = lang.AppendDatabase("db", false);
    lang.AppendEntry(d, "bell", LanguageValue(std::string("a\x07") + "b"));
    EXPECT_THROW(lang.SaveXML(target), RuntimeError);
    EXPECT_EQ(read(target), "old");
    lang.setEntryValue(0, 0, LanguageValue("\xC3"));
    EXPECT_THROW(lang.SaveXML(target), RuntimeError);
}

TEST_F(language_File, SaveThatCannotWriteRaisesAFileErrorAndKeepsTheOldFile) {
    write("file", "x");
    try {
        lang.SaveXML(path("file") + "/sub.xml");
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 76); // a file where a folder should be: path not found
    }
    const std::string target = write("old.xml", "previous");
    std::filesystem::create_directory(dir / "asFolder.xml");
    EXPECT_THROW(lang.SaveXML(path("asFolder.xml")), RuntimeError);
    lang.SaveXML(target);
    EXPECT_EQ(read(target).rfind("<language", 0), 0u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3); // no temporary file left
}

TEST_F(language_File, SaveThroughALinkReplacesTheLinkedFileAndKeepsItsMode) {
    std::filesystem::create_directory(dir / "shared");
    write("shared/Deutsch.xml", "old");
    ::chmod(path("shared/Deutsch.xml").c_str(), 0640);
    std::filesystem::create_symlink("shared/Deutsch.xml", dir / "Deutsch.xml");
    lang.LanguageName = "Deutsch";
    lang.SaveXML(path("Deutsch.xml"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "Deutsch.xml"));
    EXPECT_EQ(read(path("shared/Deutsch.xml")).rfind("<language", 0), 0u);
    EXPECT_EQ(std::filesystem::status(path("shared/Deutsch.xml")).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "shared"), {}), 1);
}

TEST_F(language_File, RoundTripKeepsDatabasesFlagsTypesAndValues) {
    lang.LanguageName = "Deutsch";
    lang.LanguageVersion = "3";
    const auto a = lang.AppendDatabase("Messages", false);
    lang.AppendEntry(a, "AboutText", LanguageValue("Über & mehr <ok>"), "Text");
    lang.AppendEntry(a, "Blank", LanguageValue(), "Text");
    const auto b = lang.AppendDatabase("frmMain", true);
    lang.AppendEntry(b, "lst", LanguageValue::array(-2, {"x", "", "z"}), "ListView");
    lang.AppendEntry(b, "big", LanguageValue::array(INT32_MAX - 1, {"p", "q"}), "ComboBox");
    lang.AppendDatabase("Twin", true);
    lang.AppendDatabase("Twin", false);
    lang.SaveXML(path("rt.xml"));

    clsLanguage back;
    back.LoadXML(path("rt.xml"));
    EXPECT_EQ(back.LanguageName, "Deutsch");
    EXPECT_EQ(back.LanguageVersion, "3");
    ASSERT_EQ(back.databaseCount(), 4);
    auto expected = lang.databases();
    expected[0].Entries[1].Value = LanguageValue(""); // an empty value comes back as empty text
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& x = expected[i];
        const auto& y = back.databases()[i];
        EXPECT_EQ(x.Name, y.Name);
        EXPECT_EQ(x.Process, y.Process);
        ASSERT_EQ(x.Entries.size(), y.Entries.size());
        for (std::size_t j = 0; j < x.Entries.size(); ++j) {
            EXPECT_EQ(x.Entries[j].Name, y.Entries[j].Name);
            EXPECT_EQ(x.Entries[j].Type, y.Entries[j].Type);
            EXPECT_EQ(x.Entries[j].Value, y.Entries[j].Value) << x.Entries[j].Name;
        }
    }
}

TEST_F(language_File, LoadOfOddButValidFiles) {
    const std::string xml = "<?xml version=\"1.0\"?>\n"
                            "<!-- a comment before the root -->\n"
                            "<wrapper><LANGUAGE/><language name=\"Odd\" version=\"9\" extra=\"x\">\n"
                            "  <DataBase name=\"one\" process=\"TRUE\">\n"
                            "    <ENTRY name=\"a\" type=\"Label\" array=\"FALSE\">A<b>B</b>C</ENTRY>\n"
                            "    <unknown name=\"skipped\"/>\n"
                            "    <entry name=\"noarray\" type=\"Label\">ignored text</entry>\n"
                            "    <entry name=\"other\" type=\"Label\" array=\"maybe\">ignored</entry>\n"
                            "    <entry name=\"list\" type=\"ListBox\" array=\"true\">\n"
                            "      <Item id=\"2\">two</Item><other/><item id=\"0\">zero</item>\n"
                            "      <wrap><bound max=\"3\" min=\"0\"/></wrap>\n"
                            "      <item id=\"2\">TWO</item>\n"
                            "    </entry>\n"
                            "  </DataBase>\n"
                            "  <database name=\"two\" process=\"0\"/>\n"
                            "  <database name=\"three\" process=\" -2.5 \"><![CDATA[  ]]></database>\n"
                            "</language></wrapper>";
    ASSERT_EQ(load(xml), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(lang.LanguageName, "Odd");
    EXPECT_EQ(lang.LanguageVersion, "9");
    ASSERT_EQ(lang.databaseCount(), 3);
    EXPECT_TRUE(lang.databases()[0].Process);
    EXPECT_FALSE(lang.databases()[1].Process);
    EXPECT_TRUE(lang.databases()[2].Process);
    EXPECT_EQ(lang.EntryValue("one", "a").text(), "ABC");
    EXPECT_EQ(lang.EntryValue("one", "noarray"), LanguageValue(""));
    EXPECT_EQ(lang.EntryValue("one", "other"), LanguageValue(""));
    EXPECT_EQ(lang.EntryValue("one", "list"), LanguageValue::array(0, {"zero", "", "TWO", ""}));
    EXPECT_EQ(lang.databases()[0].Entries.size(), 4u);
}

TEST_F(language_File, LoadAcceptsEncodingsWithTheirDeclaration) {
    // "Größe" in Windows-1252: G r 0xF6 0xDF e
    ASSERT_EQ(load("<?xml version=\"1.0\" encoding=\"windows-1252\"?>"
                   "<language name=\"W\" version=\"1\"><database name=\"d\" process=\"false\">"
                   "<entry name=\"e\" type=\"t\" array=\"false\">Gr\xF6\xDF"
                   "e \x80</entry></database></language>"),
              0);
    EXPECT_EQ(lang.EntryValue("d", "e").text(), "Größe €");

    const std::u16string text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                                u"<language name=\"U\" version=\"1\"><database name=\"d\" process=\"1\">"
                                u"<entry name=\"e\" type=\"t\" array=\"false\">Привет</entry></database></language>";
    std::string bytes = "\xFF\xFE"; // little-endian byte order mark, as saved on Windows
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    ASSERT_EQ(load(bytes), 0);
    EXPECT_EQ(lang.LanguageName, "U");
    EXPECT_EQ(lang.EntryValue("d", "e").text(), "Привет");
}

TEST_F(language_File, MissingFileLeavesTheLanguageInPlace) {
    ASSERT_EQ(load("<language name=\"A\" version=\"1\"><database name=\"d\" process=\"true\"/></language>"), 0);
    lang.LoadXML(path("absent.xml"));
    lang.LoadXML(dir.string()); // a folder is no file
    EXPECT_EQ(lang.LanguageName, "A");
    EXPECT_EQ(lang.databaseCount(), 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(language_File, ParseErrorClearsReportsAndKeepsTheName) {
    ASSERT_EQ(load("<language name=\"A\" version=\"7\"><database name=\"d\" process=\"true\"/></language>"), 0);
    ASSERT_EQ(load("<language name=\"B\" version=\"1\">\n  <database name=\"x\" process=\"true\">\n</language>"), 0);
    EXPECT_EQ(lang.databaseCount(), 0);
    EXPECT_EQ(lang.LanguageName, "A");
    EXPECT_EQ(lang.LanguageVersion, "7");
    ASSERT_EQ(messages.size(), 1u);
    // libxml2's own code (76: mismatched end tag), reason, line and column.
    EXPECT_EQ(messages[0].rfind("Parse error 76: ", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("database"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("\r\nLine 3, position "), std::string::npos) << messages[0];
    EXPECT_EQ(messages[0].find('\n'), messages[0].find("\r\n") + 1); // one line break only

    messages.clear();
    ASSERT_EQ(load("this is not xml"), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Parse error 4: ", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("\r\nLine 1, position 1"), std::string::npos) << messages[0];

    messages.clear();
    ASSERT_EQ(load(""), 0);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(language_File, FormatErrorsRaiseTheirNumbersAndKeepWhatCameBefore) {
    const std::string head = "<language name=\"n\" version=\"v\"><database name=\"first\" process=\"true\">"
                             "<entry name=\"kept\" type=\"t\" array=\"false\">k</entry></database>";
    auto arrayEntry = [](const std::string& inner) {
        return "<database name=\"d\" process=\"1\"><entry name=\"e\" type=\"t\" array=\"true\">" + inner +
               "</entry></database>";
    };
    struct Case {
        std::string body;
        int error;
        int databasesKept;
    };
    const std::vector<Case> cases = {
        {"<database process=\"true\"/>", 94, 1},
        {"<database name=\"d\"/>", 94, 1},
        {"<database name=\"d\" process=\"yes\"/>", 13, 1},
        {"<database name=\"d\" process=\"1\"><entry type=\"t\"/></database>", 94, 2},
        {"<database name=\"d\" process=\"1\"><entry name=\"e\"/></database>", 94, 2},
        {arrayEntry("<item id=\"0\">x</item>"), 91, 2},
        {arrayEntry("<bound max=\"1\"/>"), 94, 2},
        {arrayEntry("<bound min=\"0\"/>"), 94, 2},
        {arrayEntry("<bound min=\"a\" max=\"1\"/>"), 13, 2},
        {arrayEntry("<bound min=\"2\" max=\"1\"/>"), 9, 2},
        {arrayEntry("<bound min=\"0\" max=\"1\"/><item>x</item>"), 94, 2},
        {arrayEntry("<bound min=\"0\" max=\"1\"/><item id=\"one\">x</item>"), 13, 2},
        {arrayEntry("<bound min=\"0\" max=\"1\"/><item id=\"2\">x</item>"), 9, 2},
        {arrayEntry("<bound min=\"0\" max=\"1\"/><item id=\"-1\">x</item>"), 9, 2},
        {arrayEntry("<bound min=\"0\" max=\"99999999999\"/>"), 6, 2},
        {arrayEntry("<bound min=\"0\" max=\"1\"/><!-- c --><item id=\"0\"/>"), 13, 2},
        {arrayEntry("<bound min=\"0\" max=\"1\"/>stray text"), 13, 2},
        {"<!-- a comment where a database belongs -->", 13, 1},
        {"<?pi data?>", 13, 1},
        {"text", 13, 1},
        {"<database name=\"d\" process=\"1\"><!-- c --></database>", 13, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(load(head + c.body + "</language>"), c.error) << c.body;
        EXPECT_EQ(lang.databaseCount(), c.databasesKept) << c.body;
        EXPECT_EQ(lang.EntryValue("first", "kept").text(), "k") << c.body;
    }
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(load("<Language name=\"n\" version=\"v\"/>"), 91);
    lang.LanguageName = "before";
    lang.LanguageVersion = "9";
    EXPECT_EQ(load("<language version=\"v\"/>"), 94);
    EXPECT_EQ(lang.LanguageName, "before");
    EXPECT_EQ(lang.LanguageVersion, "9") << "the version is not read before the name";
    // The name is taken before the missing version stops the load.
    EXPECT_EQ(load("<language name=\"n\"/>"), 94);
    EXPECT_EQ(lang.LanguageName, "n");
}

TEST_F(language_File, HostileBoundsNeverAllocateTheirSpan) {
    const std::string entryHead = "<language name=\"n\" version=\"v\"><database name=\"d\" process=\"1\">"
                                  "<entry name=\"e\" type=\"t\" array=\"true\">";
    const std::string tail = "</entry></database></language>";
    // The whole 32-bit range with one item: refused with the subscript error before anything is allocated.
    EXPECT_EQ(load(entryHead + "<bound min=\"0\" max=\"2147483647\"/><item id=\"5\">x</item>" + tail), 9);
    EXPECT_EQ(load(entryHead + "<bound min=\"-2147483648\" max=\"2147483647\"/>" + tail), 9);
    // Gaps up to twice the items plus sixteen load.
    std::string items;
    for (int i = 0; i < 4; ++i)
        items += "<item id=\"" + std::to_string(i * 6) + "\">i</item>";
    EXPECT_EQ(load(entryHead + "<bound min=\"0\" max=\"23\"/>" + items + tail), 0);
    EXPECT_EQ(lang.EntryValue("d", "e").upperBound(), 23);
    EXPECT_EQ(load(entryHead + "<bound min=\"0\" max=\"24\"/>" + items + tail), 9);
    // Bounds at the ends of the range are fine when the items fill them.
    EXPECT_EQ(load(entryHead + "<bound min=\"2147483646\" max=\"2147483647\"/><item id=\"2147483647\">t</item>" + tail),
              0);
    EXPECT_EQ(lang.EntryValue("d", "e").item(2147483647), "t");
}

TEST_F(language_File, EntityExpansionIsBounded) {
    // Nested entity references would expand to 10^9 characters; the reader stops at its text budget.
    std::string dtd = "<!DOCTYPE language [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'j'; ++c) {
        dtd += std::string("<!ENTITY ") + c + " \"";
        for (int i = 0; i < 10; ++i)
            dtd += std::string("&") + char(c - 1) + ";";
        dtd += "\">";
    }
    dtd += "]>";
    const int error = load(dtd + "<language name=\"n\" version=\"v\"><database name=\"d\" process=\"1\">"
                                 "<entry name=\"e\" type=\"t\" array=\"false\">&j;</entry></database></language>");
    // Either the parser refuses the amplification or the reader runs out of its budget; nothing is allocated.
    EXPECT_TRUE(error == 7 || messages.size() == 1) << error;

    // Forty references to a one-megabyte entity pass the parser's own checks; the reader's budget stops them.
    messages.clear();
    std::string refs;
    for (int i = 0; i < 40; ++i)
        refs += "&big;";
    EXPECT_EQ(load("<!DOCTYPE language [<!ENTITY big \"" + std::string(1000000, 'x') +
                   "\">]><language name=\"n\" version=\"v\"><database name=\"d\" process=\"1\">"
                   "<entry name=\"e\" type=\"t\" array=\"false\">" +
                   refs + "</entry></database></language>"),
              7);
    EXPECT_TRUE(messages.empty());

    // A small internal entity expands as text.
    ASSERT_EQ(load("<!DOCTYPE language [<!ENTITY app \"Tavrimoskel\">]>"
                   "<language name=\"n\" version=\"v\"><database name=\"d\" process=\"1\">"
                   "<entry name=\"e\" type=\"t\" array=\"false\">About &app;</entry></database></language>"),
              0);
    EXPECT_EQ(lang.EntryValue("d", "e").text(), "About Tavrimoskel");
}

TEST_F(language_File, ExternalEntitiesAreNotRead) {
    const std::string secret = write("secret.txt", "SECRET");
    ASSERT_EQ(load("<!DOCTYPE language [<!ENTITY x SYSTEM \"file://" + secret +
                   "\">]><language name=\"n\" version=\"v\"><database name=\"d\" process=\"1\">"
                   "<entry name=\"e\" type=\"t\" array=\"false\">[&x;]</entry></database></language>"),
              0);
    EXPECT_EQ(lang.EntryValue("d", "e").text(), "[]");
}

TEST_F(language_File, FilesBeyondTheLimitsAreRefusedBeforeParsing) {
    const std::string language = "<language name=\"n\" version=\"v\">";
    const auto attributes = [](int count, std::string_view value) {
        std::string out = "<database name=\"d\" process=\"1\"";
        for (int i = 0; i < count; ++i)
            out += " a" + std::to_string(i) + "=\"" + std::string(value) + "\"";
        return out + "/>";
    };
    std::string manyElements = language;
    for (int i = 0; i < 1'000'001; ++i)
        manyElements += "<a/>";
    struct Case {
        const char* what;
        std::string xml;
        const char* reason; // expected in the message, or nullptr when the file loads
        int line;
    };
    const Case cases[] = {
        // The parser's duplicate check is quadratic: minutes for this 2.3 MB file without the limit.
        {"200,000 attributes", language + "\n" + attributes(199'998, "v") + "</language>", "attributes", 2},
        {"an element of many", manyElements + "</language>", "elements", 1},
        {"a long text", language + std::string(1u << 20, 'x') + "x</language>", "text", 1},
        {"a file too large", language + std::string(16u << 20, ' ') + "</language>", "larger", 1},
        // Markup signs inside values, comments and character data are no markup.
        {"values holding markup",
         "<!--" + std::string(500, '=') + "-->" + language + attributes(98, "=>'=") +
             "<database name=\"x\" process=\"1\">" + "<entry name=\"e\" type=\"t\" array=\"false\"><![CDATA[" +
             std::string(500, '=') + "]]></entry></database></language>",
         nullptr, 0},
    };
    for (const Case& c : cases) {
        messages.clear();
        EXPECT_EQ(load(c.xml), 0) << c.what;
        if (!c.reason) {
            EXPECT_TRUE(messages.empty()) << c.what << ": " << (messages.empty() ? "" : messages[0]);
            continue;
        }
        ASSERT_EQ(messages.size(), 1u) << c.what;
        EXPECT_EQ(messages[0].rfind("Parse error 1: the file is no language file", 0), 0u) << messages[0];
        EXPECT_NE(messages[0].find(c.reason), std::string::npos) << messages[0];
        EXPECT_NE(messages[0].find("\r\nLine " + std::to_string(c.line) + ", position "), std::string::npos)
            << messages[0];
        EXPECT_EQ(lang.databaseCount(), 0) << c.what;
    }
}

TEST_F(language_File, AttributesCannotHideInAnEncodingThatReusesAsciiBytes) {
    // In ISO-2022-JP a double-byte character may use the byte of '<' or '"'; the check reads decoded text.
    std::string xml = "<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?><language name=\"n\" version=\"v\">"
                      "<database name=\"d\" process=\"1\"";
    for (int i = 0; i < 200; ++i)
        xml += " a" + std::to_string(i) + "=\"\x1B$B\x30\x3C\x1B(B\""; // a kanji whose second byte is '<'
    ASSERT_EQ(load(xml + "/></language>"), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("attributes on one element"), std::string::npos) << messages[0];

    // A file of single bytes that claims UTF-16 is read as bytes by the parser: so is it checked.
    messages.clear();
    xml = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><language name=\"n\" version=\"v\"><database";
    for (int i = 0; i < 200; ++i)
        xml += " a" + std::to_string(i) + "=\"v\"";
    ASSERT_EQ(load(xml + "/></language>"), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("attributes on one element"), std::string::npos) << messages[0];

    EXPECT_EQ(tvk::LanguageFileLimits::encodingOf(std::string("<\0?\0", 4)), "UTF-16LE");
    EXPECT_EQ(tvk::LanguageFileLimits::encodingOf("\xFE\xFF"), "UTF-16BE");
    EXPECT_EQ(tvk::LanguageFileLimits::encodingOf("<?xml version='1.0' encoding = 'Shift_JIS'?><a/>"), "Shift_JIS");
    EXPECT_EQ(tvk::LanguageFileLimits::encodingOf("<language/>"), "UTF-8");
}
