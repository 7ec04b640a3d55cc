#include "app/NumericText.h"
#include "events/RuntimeError.h"

#include <gtest/gtest.h>

#include <limits>

namespace tvk {
namespace {

struct ReadCase {
    const char* text;
    int32_t expected;
};

TEST(NumericText, SettingsBoxesReadTheLeadingNumberRoundedHalfToEven) {
    const ReadCase cases[] = {
        {"75", 75},
        {"12abc", 12},
        {" 7", 7},
        {"abc", 0},
        {"", 0},
        {"-5", -5},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"0.5", 0},
        {"1.5", 2},
        {"1 2 3", 123},
        {"1.5E3", 1500},
        {"25D-1", 2},
        {"&H10", 16},
        {"&hFF", 255},
        {"&HFFFF", -1},
        {"&H10000", 65536},
        {"&O17", 15},
        {"&Hzz", 0},
        {"+8", 8},
        {"1e", 1},
        {"2e+", 2},
        {"5-3", 5},
        {".5", 0},
        {"-.75", -1},
        {"7.", 7},
        {"\t 42 ms", 42},
        {"1,5", 1},
        {"&HFFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int32_t>::min()},
        {"1e-400", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readDetailValue(c.text), c.expected) << '"' << c.text << '"';
}

TEST(NumericText, SettingsBoxesRejectValuesOutside32Bits) {
    for (const char* text : {"2147483648", "-2147483649", "1e10", "1e400", "&H100000000", "99999999999999999999"}) {
        try {
            readDetailValue(text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::Overflow) << text;
        }
    }
}

TEST(NumericText, ReplayBoxesReadDecimalsOnlyAndClampInsteadOfFailing) {
    const ReadCase cases[] = {
        {"-1", -1},
        {"", 0},
        {"-", 0},
        {"5-3", 5},
        {"12", 12},
        {"&H10", 0},
        {"1e3", 1},
        {"1 2", 1},
        {"99999999999", std::numeric_limits<int32_t>::max()},
        {"-99999999999", std::numeric_limits<int32_t>::min()},
        {"9e999", 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readBoxInteger(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(readBoxInteger(std::string(400, '9')), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(readBoxInteger("-" + std::string(400, '9')), std::numeric_limits<int32_t>::min());
}

TEST(NumericText, RoundingToInt32) {
    EXPECT_EQ(roundToInt32(2147483647.4), 2147483647);
    EXPECT_EQ(roundToInt32(-2147483648.4), std::numeric_limits<int32_t>::min());
    EXPECT_THROW(roundToInt32(2147483647.5), RuntimeError); // rounds to even: 2147483648
    EXPECT_THROW(roundToInt32(std::numeric_limits<double>::quiet_NaN()), RuntimeError);
    EXPECT_EQ(roundToInt32Clamped(std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(roundToInt32Clamped(std::numeric_limits<double>::quiet_NaN()), 0);
}

} // namespace
} // namespace tvk
