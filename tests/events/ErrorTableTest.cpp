#include "events/ErrorTable.h"
#include "events/RuntimeError.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <string_view>

using namespace tvk;

namespace {

TEST(ErrorTable, NumbersAndNamesAreUnique) {
    std::set<int> numbers;
    std::set<std::string_view> names;
    for (const err::Entry& e : err::table()) {
        EXPECT_TRUE(numbers.insert(e.number).second) << "number listed twice: " << e.number;
        EXPECT_TRUE(names.insert(e.name).second) << "name listed twice: " << e.name;
        EXPECT_FALSE(e.name.empty()) << e.number;
    }
    EXPECT_GT(numbers.size(), 90u);
}

TEST(ErrorTable, DescribeGivesEveryEntrysTextInBothWordings) {
    for (const err::Entry& e : err::table()) {
        const std::string_view text = e.text.empty() ? err::GenericText : e.text;
        EXPECT_EQ(err::describe(e.number), text) << e.name;
        EXPECT_EQ(err::describe(e.number, err::Wording::Script), e.scriptText.empty() ? text : e.scriptText) << e.name;
        EXPECT_EQ(RuntimeError(e.number).description(), text) << e.name;
    }
}

TEST(ErrorTable, UnknownNumbersGetTheGenericText) {
    for (int number : {0, -1, 1, 4, 1004, 5000, 32812, INT_MIN, INT_MAX}) {
        EXPECT_EQ(err::describe(number), "Application-defined or object-defined error") << number;
        EXPECT_EQ(err::describe(number, err::Wording::Script), err::GenericText) << number;
        EXPECT_EQ(RuntimeError(number).description(), err::GenericText) << number;
    }
}

// Scripts and users read these numbers and texts; the table must keep them as they are.
TEST(ErrorTable, KeepsTheNumbersAndTextsUsersSee) {
    struct Case {
        int constant;
        int number;
        std::string_view program, script;
    };
    const Case cases[] = {
        {err::InvalidCall, 5, "Invalid procedure call or argument", "Invalid procedure call or argument"},
        {err::SubscriptOutOfRange, 9, "Subscript out of range", "Subscript out of range"},
        {err::TypeMismatch, 13, "Type mismatch", "Type mismatch"},
        {err::ObjectNotSet, 91, "Object variable or With block variable not set", "Object variable not set"},
        {err::InvalidFileFormat, 321, "Invalid file format", "Invalid file format"},
        {err::InvalidPropertyValue, 380, err::GenericText, err::GenericText},
        {err::NoSuchMember, 438, "Object doesn't support this property or method",
         "Object doesn't support this property or method"},
        {err::ScriptTimeout, 1000, "Script ran out of time", "Script ran out of time"},
        {err::SyntaxError, 1002, "Syntax error", "Syntax error"},
        {err::NestingTooDeep, 1059, "Nesting too deep", "Nesting too deep"},
        {err::RegexSyntax, 5017, err::GenericText, err::GenericText},
        {err::ElementNotFound, 32811, err::GenericText, err::GenericText},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.constant, c.number);
        EXPECT_EQ(err::describe(c.number), c.program) << c.number;
        EXPECT_EQ(err::describe(c.number, err::Wording::Script), c.script) << c.number;
    }
}

} // namespace
