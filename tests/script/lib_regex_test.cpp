// The pattern engine behind RegExp: syntax, matching semantics, errors and its guards against runaway input.
#include "events/RuntimeError.h"
#include "script/lib/Regex.h"

#include <gtest/gtest.h>

#include <optional>

namespace rx = tvk::script::regex;

namespace {

struct Found {
    int index;
    std::u16string value;
};

std::optional<Found> first(std::u16string_view pattern, std::u16string_view text, rx::Options options = {},
                           std::vector<int>* caps = nullptr) {
    rx::Regex re(pattern, options);
    std::vector<int> local;
    std::vector<int>& c = caps ? *caps : local;
    if (!re.search(text, 0, c)) return std::nullopt;
    return Found{c[0], std::u16string(text.substr(static_cast<size_t>(c[0]), static_cast<size_t>(c[1] - c[0])))};
}

int compileError(std::u16string_view pattern) {
    try {
        rx::Regex re(pattern, {});
    } catch (const tvk::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

std::string narrow(std::u16string_view s) {
    return std::string(s.begin(), s.end());
}

} // namespace

TEST(LibRegex, MatchesLeftmostWithGreedyAndLazyQuantifiers) {
    struct Case {
        const char16_t* pattern;
        const char16_t* text;
        int index; // -1: no match
        const char16_t* value;
        rx::Options options = {};
    } cases[] = {
        {u"a+b", u"xaaab", 1, u"aaab"},
        {u"<.+>", u"<a><b>", 0, u"<a><b>"},
        {u"<.+?>", u"<a><b>", 0, u"<a>"},
        {u"a*?b", u"aab", 0, u"aab"},
        {u"\\d{2,3}", u"1 12345", 2, u"123"},
        {u"\\d{2,3}?", u"1 12345", 2, u"12"},
        {u"x{2}", u"xxx", 0, u"xx"},
        {u"a{,2}", u"a{,2}", 0, u"a{,2}"},
        {u"a{2,}", u"aaaa", 0, u"aaaa"},
        {u"colou?r", u"the color", 4, u"color"},
        {u"(?:ab)+", u"xababab", 1, u"ababab"},
        {u"cat|dog", u"hotdog", 3, u"dog"},
        {u"[^0-9]+", u"123abc456", 3, u"abc"},
        {u"[\\d.]+", u"v1.25", 1, u"1.25"},
        {u"[a-]+", u"x-a-", 1, u"-a-"},
        {u"[\\]]", u"a]", 1, u"]"},
        {u"\\x41\\u0042\\t", u"AB\t", 0, u"AB\t"},
        {u"\\bfoo\\b", u"a foo b", 2, u"foo"},
        {u"\\bfoo\\b", u"afoob", -1, u""},
        {u"\\Boo\\B", u"afoob", 2, u"oo"},
        {u"^abc", u"xabc", -1, u""},
        {u"^abc", u"x\nabc", 2, u"abc", {false, true}},
        {u"abc$", u"abc\n", -1, u""},
        {u"abc$", u"abc\nx", 0, u"abc", {false, true}},
        {u"a.c", u"a\nc", -1, u""},
        {u"a.c", u"a\rc", 0, u"a\rc"},
        {u"\\s+", u"a \t\nb", 1, u" \t\n"},
        {u"\\W", u"ab_c-d", 4, u"-"},
        {u"HELLO", u"say hello", 4, u"hello", {true, false}},
        {u"[A-Z]+", u"abc", 0, u"abc", {true, false}},
        {u"[^a-z]", u"aBc1", 3, u"1", {true, false}},
        {u"\u00c9t\u00c9", u"\u00e9t\u00e9", 0, u"\u00e9t\u00e9", {true, false}},
        {u"(\\w+)\\s\\1", u"hello hello world", 0, u"hello hello"},
        {u"(a)\\1", u"aA", 0, u"aA", {true, false}},
        {u"(a)\\1", u"aA", -1, u""},
        {u"\\1(a)", u"a", 0, u"a"}, // a reference ahead of its group matches nothing
        {u"\\101", u"A", 0, u"A"},  // octal when there are not that many groups
        {u"foo(?=bar)", u"foobaz foobar", 7, u"foo"},
        {u"foo(?!bar)", u"foobar foobaz", 7, u"foo"},
        {u"(a*)*b", u"aaac", -1, u""},
        {u"(a|)*b", u"aab", 0, u"aab"},
        {u"(a*)+$", u"aaa", 0, u"aaa"},
        {u"", u"abc", 0, u""},
        {u"x*", u"abc", 0, u""},
    };
    for (const Case& c : cases) {
        const auto r = first(c.pattern, c.text, c.options);
        const std::string label = narrow(c.pattern) + " on " + narrow(c.text);
        if (c.index < 0) {
            EXPECT_FALSE(r.has_value()) << label;
            continue;
        }
        ASSERT_TRUE(r.has_value()) << label;
        EXPECT_EQ(r->index, c.index) << label;
        EXPECT_EQ(narrow(r->value), narrow(c.value)) << label;
    }
}

TEST(LibRegex, CapturesReportEachGroupAndUnusedGroupsAsMinusOne) {
    std::vector<int> caps;
    ASSERT_TRUE(first(u"(a|ab)(c|bcd)(d*)", u"abcd", {}, &caps));
    EXPECT_EQ(caps, (std::vector<int>{0, 4, 0, 1, 1, 4, 4, 4}));
    ASSERT_TRUE(first(u"(a)|(b)", u"b", {}, &caps));
    EXPECT_EQ(caps, (std::vector<int>{0, 1, -1, -1, 0, 1}));
    // A failed first alternative leaves no capture behind.
    ASSERT_TRUE(first(u"(x)y|xz", u"xz", {}, &caps));
    EXPECT_EQ(caps, (std::vector<int>{0, 2, -1, -1}));
    // Captures inside a positive lookahead are kept.
    ASSERT_TRUE(first(u"(?=(\\d+))\\d", u"a42", {}, &caps));
    EXPECT_EQ(caps, (std::vector<int>{1, 2, 1, 3}));
    rx::Regex re(u"(a)(?:b)(c(d))", {});
    EXPECT_EQ(re.groupCount(), 3);
}

TEST(LibRegex, SearchStartsAtTheGivenPosition) {
    rx::Regex re(u"o", {});
    std::vector<int> caps;
    ASSERT_TRUE(re.search(u"foo boo", 3, caps));
    EXPECT_EQ(caps[0], 5);
    EXPECT_FALSE(re.search(u"foo", 3, caps));
    rx::Regex anchored(u"^f", {});
    EXPECT_FALSE(anchored.search(u"ff", 1, caps));
    EXPECT_TRUE(anchored.search(u"ff", 0, caps));
}

TEST(LibRegex, MalformedPatternsRaiseTheirNumbers) {
    struct Case {
        const char16_t* pattern;
        int number;
    } cases[] = {
        {u"a**", 5018},    {u"*a", 5018},      {u"a|+", 5018},  {u"a{2}{3}", 5018}, {u"[abc", 5019},
        {u"[a\\", 5019},   {u"(abc", 5020},    {u"((a)", 5020}, {u"abc)", 5017},    {u"[z-a]", 5021},
        {u"a{3,2}", 5017}, {u"(?<x>a)", 5017}, {u"a\\", 5017},  {u"(?", 5017},
    };
    for (const Case& c : cases)
        EXPECT_EQ(compileError(c.pattern), c.number) << narrow(c.pattern);
    EXPECT_EQ(compileError(u"a+?"), 0);
}

TEST(LibRegex, PatternsTooLargeOrDeepAreRefused) {
    EXPECT_EQ(compileError(u"(a{1000}){1000}"), 5017);
    EXPECT_EQ(compileError(std::u16string(5000, u'(') + std::u16string(5000, u')')), 5017);
    EXPECT_EQ(compileError(std::u16string(100, u'(') + std::u16string(100, u')')), 0);
}

TEST(LibRegex, LongInputsMatchWithoutExhaustingTheNativeStack) {
    const std::u16string text = std::u16string(300000, u'a') + u"c";
    const auto r = first(u"(a|b)*c", text);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->value.size(), text.size());
    const auto lazy = first(u"a*?c", text);
    ASSERT_TRUE(lazy.has_value());
    EXPECT_EQ(lazy->index, 0);
}

TEST(LibRegex, CatastrophicBacktrackingStopsAtTheStepBudget) {
    rx::Regex re(u"(x+x+)+y", {});
    std::vector<int> caps;
    try {
        re.search(std::u16string(40, u'x'), 0, caps, 1'000'000);
        FAIL() << "the search should have been abandoned";
    } catch (const tvk::RuntimeError& e) {
        EXPECT_EQ(e.number(), tvk::err::InvalidCall);
    }
    // The same pattern finishes quickly on input where it matches.
    EXPECT_TRUE(re.search(u"xxxy", 0, caps, 1'000'000));
}

TEST(LibRegex, ReplacementTemplatesExpandGroupsAndSpecials) {
    rx::Regex re(u"(\\w+) (\\w+)", {});
    const std::u16string text = u"<john smith>";
    std::vector<int> caps;
    ASSERT_TRUE(re.search(text, 0, caps));
    struct Case {
        const char16_t* replacement;
        const char* expected;
    } cases[] = {
        {u"$2, $1", "smith, john"},
        {u"$$1", "$1"},
        {u"[$&]", "[john smith]"},
        {u"$`", "<"},
        {u"$'", ">"},
        {u"$3", "$3"},
        {u"$10", "john0"},
        {u"$", "$"},
        {u"$x", "$x"},
        {u"$0", "$0"},
        {u"a$2$2", "asmithsmith"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(narrow(rx::expandReplacement(c.replacement, text, caps)), c.expected) << narrow(c.replacement);
}
