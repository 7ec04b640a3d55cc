// The variant and its conversions: text encoding, number parsing, rounding, range errors,
// comparisons and the copy rules of arrays.
#include "script/Value.h"
#include "events/RuntimeError.h"
#include "script/Coerce.h"
#include "script/Operators.h"

#include "common/ErrorNumber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

using namespace tvk;
using namespace tvk::script;

namespace {

using tvk::test::errorOf;

Value str(const char* s) {
    return Value::string(std::string_view(s));
}

TEST(ValueTest, IsSixteenBytesAndCheapToCopy) {
    EXPECT_EQ(sizeof(Value), 16u);
    Value a = str("shared");
    Value b = a;
    EXPECT_EQ(a.heap(), b.heap()) << "copies share the text";
    EXPECT_EQ(Value::lng(5).heap(), nullptr);
}

TEST(ValueTest, Utf8RoundTripsThroughUtf16) {
    const char* samples[] = {"", "plain", "h\xC3\xA9llo", "\xE2\x82\xAC", "\xF0\x9F\x98\x80 smile"};
    for (const char* s : samples)
        EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(s)), s);
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98\x80").size(), 2u) << "outside the BMP: a surrogate pair, as Len counts";
    EXPECT_EQ(utf8ToUtf16("\xC3\xA9").size(), 1u);
}

TEST(ValueTest, InvalidTextBecomesReplacementCharacters) {
    struct Case {
        std::string in;
        std::u16string out;
    } cases[] = {
        {"a\xFF"
         "b",
         u"a\uFFFDb"},                           // invalid lead byte
        {"\xC3", u"\uFFFD"},                     // truncated sequence
        {"\xC0\xAF", u"\uFFFD\uFFFD"},           // overlong form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // encoded surrogate
        {"\x80"
         "x",
         u"\uFFFDx"}, // stray continuation byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8ToUtf16(c.in), c.out);
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD") << "lone surrogate";
}

TEST(ValueTest, NumbersParseAsTheLanguageReadsThem) {
    struct Case {
        const char16_t* text;
        bool ok;
        double value;
    } cases[] = {
        {u"12", true, 12},         {u"  -1.5e3 ", true, -1500}, {u"&HFF", true, 255}, {u"&HFFFF", true, -1},
        {u"&H10000", true, 65536}, {u"&O17", true, 15},         {u".5", true, 0.5},   {u"1.", true, 1},
        {u"", false, 0},           {u"abc", false, 0},          {u"1e", false, 0},    {u"12abc", false, 0},
        {u"&H", false, 0},         {u"&O9", false, 0},          {u"1e999", false, 0}, {u"- 1", false, 0},
    };
    for (const auto& c : cases) {
        double d = -999;
        EXPECT_EQ(parseNumber(c.text, d), c.ok) << utf16ToUtf8(c.text);
        if (c.ok) {
            EXPECT_EQ(d, c.value) << utf16ToUtf8(c.text);
        }
    }
}

TEST(ValueTest, IntegerConversionsRoundHalfToEvenAndCheckRange) {
    struct Case {
        double in;
        int32_t out;
    } rounding[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {0.5, 0}, {1.5, 2}};
    for (const auto& c : rounding)
        EXPECT_EQ(toLong(Value::dbl(c.in)), c.out) << c.in;
    EXPECT_EQ(toInteger(Value::dbl(32767.4)), 32767);
    EXPECT_EQ(errorOf([] { toInteger(Value::dbl(32767.5)); }), 6);
    EXPECT_EQ(errorOf([] { toByte(Value::integer(-1)); }), 6);
    EXPECT_EQ(errorOf([] { toLong(Value::dbl(2147483648.0)); }), 6);
    EXPECT_EQ(toLong(Value::dbl(-2147483648.0)), INT32_MIN);
    EXPECT_EQ(errorOf([] { toLong(Value::dbl(NAN)); }), 6);
    EXPECT_EQ(errorOf([] { toLong(str("x")); }), 13);
    EXPECT_EQ(errorOf([] { toLong(Value::null()); }), 94);
    EXPECT_EQ(errorOf([] { toLong(Value::arrayOf({})); }), 13);
    EXPECT_EQ(errorOf([] { toLong(Value::nothing()); }), 91);
    EXPECT_EQ(toLong(Value()), 0) << "Empty is 0";
    EXPECT_EQ(toLong(Value::boolean(true)), -1);
    EXPECT_EQ(toLong(str(" 42 ")), 42);
}

TEST(ValueTest, CurrencyKeepsFourDecimalsExactly) {
    EXPECT_EQ(toCurrencyScaled(str("922337203685477.5807")), INT64_MAX);
    EXPECT_EQ(toCurrencyScaled(str("1.00005")), 10000) << "half to even at the fourth decimal";
    EXPECT_EQ(toCurrencyScaled(str("1.00015")), 10002);
    EXPECT_EQ(toCurrencyScaled(Value::integer(-3)), -30000);
    EXPECT_EQ(errorOf([] { toCurrencyScaled(str("922337203685477.5808")); }), 6);
    EXPECT_EQ(errorOf([] { toCurrencyScaled(Value::dbl(1e20)); }), 6);
}

TEST(ValueTest, BooleansFromTextAndNumbers) {
    EXPECT_TRUE(toBool(str("TRUE")));
    EXPECT_FALSE(toBool(str("false")));
    EXPECT_TRUE(toBool(str("-1")));
    EXPECT_FALSE(toBool(str("0.0")));
    EXPECT_TRUE(toBool(Value::dbl(0.1)));
    EXPECT_EQ(errorOf([] { toBool(str("yes")); }), 13);
    EXPECT_EQ(errorOf([] { toBool(Value::null()); }), 94);
}

TEST(ValueTest, TextOfEachSubtype) {
    EXPECT_EQ(toString(Value::boolean(true)), u"True");
    EXPECT_EQ(toString(Value()), u"");
    EXPECT_EQ(toString(Value::lng(-12)), u"-12");
    EXPECT_EQ(toString(Value::dbl(0.1 + 0.2)), u"0.3") << "15 significant digits";
    EXPECT_EQ(toString(Value::currencyScaled(15000)), u"1.5");
    EXPECT_EQ(errorOf([] { toString(Value::null()); }), 94);
    EXPECT_EQ(errorOf([] { toString(Value::arrayOf({})); }), 13);
}

TEST(ValueTest, ComparisonRules) {
    struct Case {
        Value a, b;
        int result;
    } cases[] = {
        {Value::integer(1), Value::dbl(1.0), 0},
        {Value::lng(2), Value::integer(10), -1},
        {str("abc"), str("abd"), -1},
        {str("B"), str("a"), -1},
        {Value::integer(5), str("1"), -1},
        {str(""), Value(), 0},
        {Value(), Value::integer(0), 0},
        {Value::null(), Value::integer(1), 2},
        {Value::boolean(true), Value::integer(-1), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(compareValues(c.a, c.b), c.result) << typeName(c.a) << " vs " << typeName(c.b);
    EXPECT_EQ(compareValues(str("ABC"), str("abc"), true), 0) << "text comparison ignores case";
}

TEST(ValueTest, OperatorResultSubtypes) {
    struct Case {
        Op op;
        Value a, b;
        VarType type;
        double value;
    } cases[] = {
        {Op::Add, Value::integer(32767), Value::integer(1), VarType::Long, 32768},
        {Op::Add, Value::lng(INT32_MAX), Value::integer(1), VarType::Double, 2147483648.0},
        {Op::Mul, Value::byte(16), Value::byte(16), VarType::Integer, 256},
        {Op::Sub, Value::byte(1), Value::byte(2), VarType::Integer, -1},
        {Op::Add, Value::single(1.5f), Value::integer(1), VarType::Single, 2.5},
        {Op::Add, Value::single(1.5f), Value::lng(1), VarType::Double, 2.5},
        {Op::Div, Value::integer(1), Value::integer(4), VarType::Double, 0.25},
        {Op::IntDiv, Value::dbl(7.5), Value::integer(2), VarType::Long, 4},
        {Op::Mod, Value::integer(-7), Value::integer(3), VarType::Integer, -1},
        {Op::Pow, Value::integer(2), Value::integer(10), VarType::Double, 1024},
        {Op::And, Value::boolean(true), Value::integer(6), VarType::Integer, 6},
        {Op::Or, Value::byte(1), Value::byte(2), VarType::Byte, 3},
        {Op::Xor, Value::lng(5), Value::integer(1), VarType::Long, 4},
        {Op::Add, Value::currencyScaled(15000), Value::integer(1), VarType::Currency, 2.5},
        {Op::Sub, Value::date(10), Value::date(3), VarType::Double, 7},
        {Op::Add, Value::date(10), Value::integer(1), VarType::Date, 11},
    };
    for (const auto& c : cases) {
        Value r = binaryOp(c.op, c.a, c.b);
        EXPECT_EQ(r.type(), c.type) << static_cast<int>(c.op) << " " << typeName(c.a) << " " << typeName(c.b);
        EXPECT_DOUBLE_EQ(toDouble(r), c.value) << static_cast<int>(c.op);
    }
    EXPECT_EQ(errorOf([] { binaryOp(Op::Mul, Value::dbl(1e200), Value::dbl(1e200)); }), 6);
    EXPECT_EQ(errorOf([] { binaryOp(Op::Pow, Value::integer(-8), Value::dbl(1.0 / 3)); }), 5);
    EXPECT_EQ(errorOf([] { unaryOp(Op::Neg, Value::currencyScaled(INT64_MIN)); }), 6);
    EXPECT_EQ(unaryOp(Op::Neg, Value::integer(-32768)).type(), VarType::Long);
    EXPECT_EQ(notOp(Value::byte(0)).rawInt(), 255);
}

TEST(ValueTest, ArraysAreCopiedOnWrite) {
    Value a = Value::arrayOf({Value::integer(1), Value::integer(2)});
    a.setFixedArray(true);
    Value b = a;
    EXPECT_FALSE(b.fixedArray()) << "a copy is not the Dim'd variable";
    b.mutableArray().data[0] = str("changed");
    EXPECT_EQ(a.arr().data[0].rawInt(), 1) << "writing the copy leaves the original";
    EXPECT_NE(a.heap(), b.heap());
    Value c = Value::array({2, 3});
    EXPECT_EQ(c.arr().data.size(), 6u);
    EXPECT_EQ(c.varType(), 8204);
    EXPECT_EQ(typeName(c), "Variant()");
}

// Copies, moves and clearing keep each subtype, its payload and its reference count, and carry the
// fixed-array mark only where a variable keeps it.
TEST(ValueTest, CopyMoveAndClearKeepSubtypeAndFixedMark) {
    const std::vector<Value> samples = {Value(),
                                        Value::null(),
                                        Value::boolean(true),
                                        Value::byte(200),
                                        Value::integer(-7),
                                        Value::lng(-2147483647 - 1),
                                        Value::single(1.5f),
                                        Value::dbl(-0.25),
                                        Value::currencyScaled(15000),
                                        Value::date(36526.5),
                                        str("text"),
                                        Value::nothing(),
                                        Value::arrayOf({Value::integer(1)})};
    for (const Value& sample : samples) {
        SCOPED_TRACE(typeName(sample));
        Value original = sample;
        original.setFixedArray(true);
        EXPECT_TRUE(original.fixedArray());
        EXPECT_EQ(original.type(), sample.type()) << "the mark leaves the subtype alone";
        EXPECT_EQ(original.rawInt(), sample.rawInt()) << "and the payload";

        Value copy = original;
        EXPECT_FALSE(copy.fixedArray()) << "a copy is not the marked variable";
        EXPECT_EQ(copy.type(), sample.type());
        EXPECT_EQ(copy.heap(), sample.heap()) << "a copy shares the payload";
        Value assigned;
        assigned.setFixedArray(true);
        assigned = original;
        EXPECT_FALSE(assigned.fixedArray()) << "a copy assigned drops the target's mark";
        EXPECT_EQ(assigned.type(), sample.type());

        Value moved = std::move(copy);
        EXPECT_EQ(moved.type(), sample.type());
        EXPECT_EQ(moved.rawInt(), sample.rawInt());
        EXPECT_TRUE(copy.isEmpty()) << "a moved-from value is Empty";
        EXPECT_EQ(copy.heap(), nullptr);
        Value taken = std::move(original);
        EXPECT_TRUE(taken.fixedArray()) << "moving carries the mark";
        EXPECT_TRUE(original.fixedArray()) << "and the moved-from variable keeps it";
        EXPECT_TRUE(original.isEmpty());

        moved.clear();
        EXPECT_TRUE(moved.isEmpty());
        EXPECT_EQ(moved.rawInt(), 0) << "cleared values read as zero";
        taken.clear();
        EXPECT_FALSE(taken.fixedArray()) << "clearing drops the mark";
        if (sample.heap()) {
            EXPECT_EQ(sample.heap()->refs, 2u) << "only `samples` and `assigned` hold it now";
        }
    }
}

TEST(ValueTest, UniqueStringsCanGrowInPlace) {
    Value s = str("ab");
    ASSERT_NE(s.uniqueString(), nullptr);
    Value t = s;
    EXPECT_EQ(s.uniqueString(), nullptr) << "shared text must not change under another holder";
    s.uniqueString();
    t = Value();
    ASSERT_NE(s.uniqueString(), nullptr);
    s.uniqueString()->append(u"c");
    EXPECT_EQ(s.str(), u"abc");
}

} // namespace
