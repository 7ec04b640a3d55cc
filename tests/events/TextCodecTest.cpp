#include "events/TextCodec.h"

#include <gtest/gtest.h>

using namespace tvk;

TEST(TextCodec, RecognisesWellFormedUtf8Only) {
    struct Case {
        const char* name;
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"ascii", "If Index > 3", true},
        {"two-byte", "caf\xC3\xA9", true},
        {"three-byte euro", "\xE2\x82\xAC", true},
        {"four-byte", "\xF0\x9F\x98\x80", true},
        {"highest code point", "\xF4\x8F\xBF\xBF", true},
        {"lone continuation", "\x80", false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three-byte", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"cut short", "caf\xC3", false},
        {"windows-1252 e acute", "caf\xE9", false},
        {"bad continuation", "\xE2\x28\xA1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextCodec::isValidUtf8(c.bytes), c.valid) << c.name;
}

TEST(TextCodec, DecodesWindows1252Characters) {
    EXPECT_EQ(TextCodec::cp1252ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(TextCodec::cp1252ToUtf8("\x80"), "\xE2\x82\xAC");                   // euro sign
    EXPECT_EQ(TextCodec::cp1252ToUtf8("\x9F"), "\xC5\xB8");                       // Y diaeresis
    EXPECT_EQ(TextCodec::cp1252ToUtf8("\x93x\x94"), "\xE2\x80\x9Cx\xE2\x80\x9D"); // curly quotes
    EXPECT_EQ(TextCodec::cp1252ToUtf8("\x81"), "\xC2\x81");                       // unassigned byte keeps its value
    EXPECT_EQ(TextCodec::cp1252ToUtf8("\xFF"), "\xC3\xBF");
}

TEST(TextCodec, EveryByteSurvivesARoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = TextCodec::cp1252ToUtf8(all);
    EXPECT_TRUE(TextCodec::isValidUtf8(utf8));
    const auto back = TextCodec::utf8ToCp1252(utf8);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(TextCodec, RefusesTextOutsideTheCodePage) {
    EXPECT_FALSE(TextCodec::utf8ToCp1252("\xE6\x97\xA5").has_value()); // CJK character
    EXPECT_FALSE(TextCodec::utf8ToCp1252("a\xF0\x9F\x98\x80").has_value());
    EXPECT_FALSE(TextCodec::utf8ToCp1252("\xC2\x80").has_value()); // U+0080 has no byte in the code page
    EXPECT_FALSE(TextCodec::utf8ToCp1252("caf\xE9").has_value());  // not UTF-8 at all
    EXPECT_EQ(TextCodec::utf8ToCp1252("\xE2\x82\xAC"
                                      "5"),
              "\x80"
              "5");
}
