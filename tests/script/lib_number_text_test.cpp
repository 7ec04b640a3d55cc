// Numbers printed as scripts print them, whatever the process locale.
#include "events/RuntimeError.h"
#include "script/Coerce.h"
#include "script/lib/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace nt = tvk::script::numbertext;

namespace {
std::string narrow(const std::u16string& s) {
    return std::string(s.begin(), s.end());
}
} // namespace

TEST(LibNumberText, DoublesUseFifteenDigitsAndExponentsAtTheEdges) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {100, "100"},
        {-1.5, "-1.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {123456789012345, "123456789012345"},
        {1e15, "1E+15"},
        {1e20, "1E+20"},
        {1.5e-7, "1.5E-07"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {-0.0, "-0"},
        {1.7976931348623157e308, "1.79769313486232E+308"},
        {2.5, "2.5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(narrow(nt::fromDouble(c.value)), c.text) << c.value;
}

TEST(LibNumberText, SinglesUseSevenDigits) {
    EXPECT_EQ(narrow(nt::fromSingle(1.1f)), "1.1");
    EXPECT_EQ(narrow(nt::fromSingle(1.0f / 3)), "0.3333333");
    EXPECT_EQ(narrow(nt::fromSingle(3e10f)), "3E+10");
}

TEST(LibNumberText, CurrencyShowsUpToFourDecimals) {
    EXPECT_EQ(narrow(nt::fromCurrency(15000)), "1.5");
    EXPECT_EQ(narrow(nt::fromCurrency(10000)), "1");
    EXPECT_EQ(narrow(nt::fromCurrency(-1)), "-0.0001");
    EXPECT_EQ(narrow(nt::fromCurrency(0)), "0");
    EXPECT_EQ(narrow(nt::fromCurrency(std::numeric_limits<int64_t>::min())), "-922337203685477.5808");
    EXPECT_EQ(narrow(nt::fromCurrency(std::numeric_limits<int64_t>::max())), "922337203685477.5807");
}

TEST(LibNumberText, FormatNumberRoundsHalfAwayAndGroups) {
    struct Case {
        double value;
        nt::FixedOptions options;
        const char* text;
    } cases[] = {
        {1234.5, {}, "1,234.50"},
        {-1234.5, {}, "-1,234.50"},
        {-1234.5, {-1, -2, -1, -2}, "(1,234.50)"},
        {0.5, {-1, 0, -2, -2}, ".50"},
        {-0.5, {-1, 0, -2, -2}, "-.50"},
        {2.5, {0}, "3"},
        {-2.5, {0}, "-3"},
        {1.005, {2}, "1.01"},
        {0.999, {2}, "1.00"},
        {999.999, {2}, "1,000.00"},
        {1234567, {0, -2, -2, 0}, "1234567"},
        {1e20, {0}, "100,000,000,000,000,000,000"},
        {-0.001, {2}, "0.00"},
        {0.0004, {3}, "0.000"},
        {0.0005, {3}, "0.001"},
        {123.456, {5}, "123.45600"},
        {0, {}, "0.00"},
        {100, {0}, "100"},
        {999999.5, {0}, "1,000,000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(narrow(nt::formatNumber(c.value, c.options)), c.text) << c.value;
}

TEST(LibNumberText, CurrencyAndPercentWrapTheNumber) {
    EXPECT_EQ(narrow(nt::formatCurrency(1234.5, {})), "$1,234.50");
    EXPECT_EQ(narrow(nt::formatCurrency(-1234.5, {})), "-$1,234.50");
    EXPECT_EQ(narrow(nt::formatCurrency(-1234.5, {-1, -2, -1, -2})), "($1,234.50)");
    EXPECT_EQ(narrow(nt::formatPercent(0.125, {})), "12.50%");
    EXPECT_EQ(narrow(nt::formatPercent(0.125, {1})), "12.5%");
    EXPECT_EQ(narrow(nt::formatPercent(-0.5, {0, -2, -1, -2})), "(50%)");
}

TEST(LibNumberText, DigitCountsOutsideTheRangeRaiseInvalidCall) {
    for (int digits : {-2, 256, -100}) {
        try {
            nt::formatNumber(1, {digits});
            ADD_FAILURE() << digits;
        } catch (const tvk::RuntimeError& e) {
            EXPECT_EQ(e.number(), tvk::err::InvalidCall);
        }
    }
}

namespace {

// Switches LC_NUMERIC to a locale with a decimal comma, compiling one into a temporary folder when the system
// has none installed; false when neither works.
bool useDecimalCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) return true;
    const std::string dir = ::testing::TempDir() + "tvk-locales";
    const std::string command =
        "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

} // namespace

TEST(LibNumberText, OutputIgnoresTheProcessLocale) {
    // A desktop session switches the C locale to the user's, which may write numbers with a decimal comma.
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (!useDecimalCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma can be made here";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5") << "the locale switch did not take effect";
    EXPECT_EQ(narrow(nt::fromDouble(1.5)), "1.5");
    EXPECT_EQ(narrow(nt::fromSingle(0.25f)), "0.25");
    EXPECT_EQ(narrow(nt::formatNumber(1234.5, {})), "1,234.50");
    EXPECT_EQ(tvk::script::toUtf8(tvk::script::Value::dbl(2.5)), "2.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
}
