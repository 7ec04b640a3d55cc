#include "common/TempDir.h"

#include "events/RuntimeError.h"
#include "support/clsFileOperation.h"

#include "common/ErrorNumber.h"

#include <gtest/gtest.h>

using F = tvk::clsFileOperation;
using tvk::RuntimeError;

using tvk::test::errorOf;

TEST(support_Paths, OperationsOnBothSeparators) {
    struct Case {
        std::string (*op)(const std::string&);
        const char* argument;
        const char* result;
    };
    const Case cases[] = {
        {F::ValidPath, "C:\\a", "C:\\a\\"},
        {F::ValidPath, "C:\\a\\", "C:\\a\\"},
        {F::ValidPath, "", "\\"},
        {F::ValidPath, "/home/a", "/home/a/"},
        {F::ValidPath, "/home/a/", "/home/a/"},
        {F::ValidPath, "Languages", "Languages/"},
        {F::ValidPath, "/mixed\\part/last", "/mixed\\part/last/"},
        {F::ValidPath, "C:/x\\y", "C:/x\\y\\"},
        {F::GetFileName, "C:\\dir\\file.xml", "file.xml"},
        {F::GetFileName, "file.xml", "file.xml"},
        {F::GetFileName, "C:\\dir\\", ""},
        {F::GetFileName, "/usr/share/x.xml", "x.xml"},
        {F::GetFilePath, "C:\\dir\\file.xml", "C:\\dir\\"},
        {F::GetFilePath, "file.xml", ""},
        {F::GetFilePath, "/usr/share/x.xml", "/usr/share/"},
        {F::GetNoExtension, "English.xml", "English"},
        {F::GetNoExtension, "a.b.xml", "a.b"},
        {F::GetFileExtension, "C:\\dir\\file.xml", "xml"},
        {F::GetFileExtension, "C:\\ver.2\\file", "2\\file"},
        {F::GetFileExtension, "file", "file"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.op(c.argument), c.result) << c.argument;
    EXPECT_EQ(errorOf([] { F::GetNoExtension("readme"); }), 5);
}

TEST(support_Paths, WildcardPatterns) {
    struct Case {
        const char* name;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"English.xml", "*.xml", true},
        {"ENGLISH.XML", "*.xml", false},
        {"English.xml.bak", "*.xml", false},
        {".xml", "*.xml", true},
        {"a.xml", "?.xml", true},
        {"ab.xml", "?.xml", false},
        {"v1.txt", "v#.txt", true},
        {"va.txt", "v#.txt", false},
        {"b.txt", "[a-c].txt", true},
        {"d.txt", "[a-c].txt", false},
        {"d.txt", "[!a-c].txt", true},
        {"b.txt", "[!a-c].txt", false},
        {"x", "[xyz]", true},
        {"", "*", true},
        {"", "?", false},
        {"abc", "a*c", true},
        {"ac", "a*c", true},
        {"abcbd", "a*b?", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*a*c", false},
        {"ö.xml", "?.xml", true},
        {"ü", "[ä-ö]", false},
        {"ä", "[ä-ö]", true},
        {"a-", "a[-]", true},
        {"file.txt", "*.*", true},
        {"folder", "*.*", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(F::MatchesPattern(c.name, c.pattern), c.match) << c.name << " " << c.pattern;
    EXPECT_EQ(errorOf([] { F::MatchesPattern("a", "[a"); }), 93);
    EXPECT_EQ(errorOf([] { F::MatchesPattern("zzz", "a[b"); }), 93);
}

class support_Files : public TempDirTest {
protected:
    void makeTree() {
        for (const char* f : {"German.xml", "English.xml", "readme.txt", "ENGLISH.XML", ".Hidden.xml", "noext"}) {
            write(f, "x");
        }
        std::filesystem::create_directories(dir / "old" / "deep");
        std::filesystem::create_directories(dir / "dotted.d");
        std::filesystem::create_directories(dir / "a");
        write("old/Old.xml", "x");
        write("old/deep/Deep.xml", "x");
        write("dotted.d/Inside.xml", "x");
        write("a/A.xml", "x");
    }
    std::string base() const { return dir.string(); }
};

TEST_F(support_Files, ListingOrderAndFolderRules) {
    makeTree();
    const auto b = base() + "/";
    EXPECT_EQ(F::RetriveFileList(base(), "*.xml", false),
              (std::vector<std::string>{b + "English.xml", b + "German.xml"}));
    EXPECT_EQ(F::RetriveFileList(base(), "*.xml", true),
              (std::vector<std::string>{b + "English.xml", b + "German.xml", b + "a/A.xml", b + "old/Old.xml",
                                        b + "old/deep/Deep.xml"}));
    // A folder with a dot is listed like a file and never entered; hidden names need their bit.
    EXPECT_EQ(F::RetriveFileList(base(), "*.d", true), std::vector<std::string>{b + "dotted.d"});
    EXPECT_EQ(F::RetriveFileList(base(), "*.d", true, 0), std::vector<std::string>{});
    EXPECT_EQ(F::RetriveFileList(base(), ".*", false, 16 | 2), std::vector<std::string>{b + ".Hidden.xml"});
    // Backslashes separate as well and are kept in the result.
    const std::string windowsStyle = base() + "\\old";
    EXPECT_EQ(F::RetriveFileList(windowsStyle, "*.xml", false), std::vector<std::string>{windowsStyle + "\\Old.xml"});
    EXPECT_TRUE(F::RetriveFileList(base() + "/missing", "*", true).empty());
}

TEST_F(support_Files, ListingSurvivesALinkBackUpTheTree) {
    makeTree();
    std::filesystem::create_directory_symlink(dir, dir / "old" / "loop");
    const auto list = F::RetriveFileList(base(), "*.xml", true);
    EXPECT_LE(list.size(), 12u);
    EXPECT_FALSE(F::FindFile(base(), "*.none", true).size());
}

TEST_F(support_Files, FindFileSearchesTheFolderBeforeItsTree) {
    makeTree();
    const auto b = base() + "/";
    EXPECT_EQ(F::FindFile(base(), "*.xml"), b + "English.xml");
    EXPECT_EQ(F::FindFile(base(), "Deep.xml"), "");
    EXPECT_EQ(F::FindFile(base(), "Deep.xml", true), b + "old/deep/Deep.xml");
    EXPECT_EQ(F::FindFile(base(), "Old.*", true), b + "old/Old.xml");
    EXPECT_EQ(F::FindFile(base(), "*.d"), b + "dotted.d");
    EXPECT_EQ(F::FindFile(base(), "Inside.xml", true), "");
}

TEST_F(support_Files, SaveReplacesAppendsAndCreatesFolders) {
    const std::string file = path("new/chain/of/folders/out.txt");
    F::SaveFile(file, "first", false);
    EXPECT_EQ(read(file), "first");
    F::SaveFile(file, " second", true);
    EXPECT_EQ(read(file), "first second");
    F::SaveFile(file, "third", false);
    EXPECT_EQ(read(file), "third");
    F::SaveFile(base() + "\\win\\style.txt", "w", false);
    EXPECT_EQ(read(path("win/style.txt")), "w");
}

TEST_F(support_Files, TextGoesThroughWindows1252) {
    const std::string file = path("cp.txt");
    F::SaveFile(file, "Größe € Привет", false);
    EXPECT_EQ(read(file), "Gr\xF6\xDF"
                          "e \x80 ??????");
    write("raw.txt", "\xE4\x80\x81");
    EXPECT_EQ(F::LoadFile(path("raw.txt")), "ä€\xC2\x81");
}

TEST_F(support_Files, SaveIntoAnImpossiblePlaceFails) {
    write("plain", "x");
    EXPECT_EQ(errorOf([&] { F::SaveFile(path("plain") + "/below.txt", "x", false); }), 75);
    EXPECT_EQ(errorOf([&] { F::SaveFile(base(), "x", true); }), 75); // a folder is no file
}

TEST_F(support_Files, LoadRanges) {
    const std::string file = write("data.txt", "0123456789");
    struct Case {
        std::int32_t index, length;
        const char* result;
    };
    const Case cases[] = {
        {1, -1, "0123456789"}, {3, -1, "23456789"},
        {10, -1, "9"},         {11, -1, ""},
        {50, -1, ""},          {1, 0, ""},
        {2, 3, "123"},         {9, 5, "89"},
        {11, 1, ""},           {1, INT32_MAX, "0123456789"},
        {INT32_MAX, -1, ""},   {INT32_MAX, 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(F::LoadFile(file, c.index, c.length), c.result) << c.index << "," << c.length;
    EXPECT_EQ(F::LoadFile(file), "0123456789");
    EXPECT_EQ(F::LoadFile(path("missing.txt")), "");
    EXPECT_EQ(F::LoadFile(base()), ""); // a folder is no file
    EXPECT_EQ(errorOf([&] { F::LoadFile(file, 0, 1); }), 63);
    EXPECT_EQ(F::LoadFile(path("missing.txt"), 0, 1), "");
}
