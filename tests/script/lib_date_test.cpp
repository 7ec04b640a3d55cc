// Date serial arithmetic and date text: the calendar behaviour scripts rely on.
#include "events/RuntimeError.h"
#include "script/lib/DateMath.h"
#include "script/lib/DateText.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tvk::script;
namespace dm = tvk::script::datemath;
namespace dt = tvk::script::datetext;

namespace {

// Known serials, counted by hand: 1/1/2000 is 36526, 1/2/2003 is 36526 + 366 + 365 + 365 + 1.
constexpr double Jan1st2000 = 36526;
constexpr double Jan2nd2003 = 37623;

int errorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const tvk::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace

TEST(LibDateMath, DateSerialKnownDaysAndOverflowingFields) {
    struct Case {
        double y, m, d, serial;
    } cases[] = {
        {1899, 12, 30, 0},        {1900, 1, 1, 2},      {1970, 1, 1, 25569},        {2000, 1, 1, Jan1st2000},
        {2003, 1, 2, Jan2nd2003}, {2020, 13, 1, 44197}, {2021, 1, 1, 44197},        {2021, 3, 0, 44255},
        {2000, 0, 1, 36495},      {2000, 1, -1, 36524}, {100, 1, 1, dm::MinSerial}, {9999, 12, 31, 2958465},
        {29, 1, 1, 47119},        {30, 1, 1, 10959},    {1899, 12, 29, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm::dateSerial(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
}

TEST(LibDateMath, DateSerialOutsideTheRangeRaisesInvalidCall) {
    EXPECT_EQ(errorNumber([] { dm::dateSerial(10000, 1, 1); }), tvk::err::InvalidCall);
    EXPECT_EQ(errorNumber([] { dm::dateSerial(99, 1, 1 - 800000); }), tvk::err::InvalidCall);
    EXPECT_EQ(errorNumber([] { dm::dateSerial(1e300, 1, 1); }), tvk::err::InvalidCall);
    EXPECT_EQ(errorNumber([] { dm::dateSerial(NAN, 1, 1); }), tvk::err::InvalidCall);
}

TEST(LibDateMath, NegativeSerialsKeepTheTimeRunningForward) {
    const dm::DateParts p = dm::split(-1.25);
    EXPECT_EQ(p.year, 1899);
    EXPECT_EQ(p.month, 12);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 6);
    EXPECT_DOUBLE_EQ(dm::toLinear(-1.25), -0.75);
    EXPECT_DOUBLE_EQ(dm::fromLinear(-0.75), -1.25);
    // 12/30/1899 noon has two spellings; both read as the same instant.
    EXPECT_DOUBLE_EQ(dm::toLinear(-0.5), 0.5);
    EXPECT_DOUBLE_EQ(dm::timeSerial(0, -30, 0), -1 - 23.5 / 24);
    EXPECT_DOUBLE_EQ(dm::timeSerial(25, 0, 0), 1 + 1.0 / 24);
}

TEST(LibDateMath, SplitRoundsToTheSecondAndCarriesIntoTheNextDay) {
    const dm::DateParts p = dm::split(Jan1st2000 + 0.9999999);
    EXPECT_EQ(p.day, 2);
    EXPECT_EQ(p.hour, 0);
    const dm::DateParts q = dm::split(Jan1st2000 + (13 * 3600 + 14 * 60 + 15.4) / 86400.0);
    EXPECT_EQ(q.hour, 13);
    EXPECT_EQ(q.minute, 14);
    EXPECT_EQ(q.second, 15);
}

TEST(LibDateMath, WeekdayCountsFromTheChosenFirstDay) {
    EXPECT_EQ(dm::weekday(0), 7);          // 12/30/1899 was a Saturday
    EXPECT_EQ(dm::weekday(Jan1st2000), 7); // so was 1/1/2000
    EXPECT_EQ(dm::weekday(Jan1st2000 + 1), 1);
    EXPECT_EQ(dm::weekday(Jan1st2000, 2), 6);
    EXPECT_EQ(dm::weekday(Jan1st2000, 0), 7);
    EXPECT_EQ(dm::weekday(-1.25), 6);
    EXPECT_EQ(errorNumber([] { dm::weekday(0, 8); }), tvk::err::InvalidCall);
    EXPECT_EQ(errorNumber([] { dm::weekday(1e300); }), tvk::err::InvalidCall);
    EXPECT_EQ(errorNumber([] { dm::split(-1e19); }), tvk::err::InvalidCall);
}

TEST(LibDateMath, DateAddClampsTheDayAndKeepsTheTime) {
    using dm::Interval;
    const double jan31st1995 = 34730;
    struct Case {
        Interval interval;
        double number, from, expected;
    } cases[] = {
        {Interval::Month, 1, jan31st1995, 34758},                    // 2/28/1995
        {Interval::Month, 1, Jan1st2000 + 30, Jan1st2000 + 59},      // 1/31/2000 -> 2/29/2000
        {Interval::Year, 1, Jan1st2000 + 59, Jan1st2000 + 59 + 365}, // 2/29/2000 -> 2/28/2001
        {Interval::Quarter, -1, Jan1st2000, 36434},                  // 10/1/1999
        {Interval::Month, 1.9, Jan1st2000, Jan1st2000 + 31},         // the number is truncated
        {Interval::Day, 1, Jan1st2000 + 0.25, Jan1st2000 + 1.25},
        {Interval::Weekday, 3, Jan1st2000, Jan1st2000 + 3},
        {Interval::Week, -2, Jan1st2000, Jan1st2000 - 14},
        {Interval::Hour, 1, -1.25, -1 - 7.0 / 24},
        {Interval::Minute, -30, 0, -1 - 23.5 / 24},
        {Interval::Second, 86400, Jan1st2000, Jan1st2000 + 1},
        {Interval::Hour, -12, 0.25, -1.75},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(dm::dateAdd(c.interval, c.number, c.from), c.expected, 1e-9)
            << static_cast<int>(c.interval) << " " << c.number << " " << c.from;
    EXPECT_EQ(errorNumber([] { dm::dateAdd(dm::Interval::Year, 9000, Jan1st2000); }), tvk::err::InvalidCall);
    EXPECT_EQ(errorNumber([] { dm::dateAdd(dm::Interval::Day, -1, dm::MinSerial); }), tvk::err::InvalidCall);
}

TEST(LibDateMath, DateDiffCountsBoundaries) {
    using dm::Interval;
    const double sat = Jan1st2000, sun = Jan1st2000 + 1;
    struct Case {
        Interval interval;
        double a, b;
        int64_t expected;
        int firstDay = 1;
    } cases[] = {
        {Interval::Year, Jan1st2000 - 1, Jan1st2000, 1},
        {Interval::Month, Jan1st2000 + 30, Jan1st2000 + 31, 1},
        {Interval::Quarter, Jan1st2000 + 89, Jan1st2000 + 91, 1},
        {Interval::Day, Jan1st2000 + 23.0 / 24, Jan1st2000 + 1 + 1.0 / 24, 1},
        {Interval::Day, Jan1st2000 + 5, Jan1st2000, -5},
        {Interval::Hour, 1.99 / 24, 2.0 / 24, 1},
        {Interval::Minute, 0, 0.5, 720},
        {Interval::Second, -1.25, -1.25 - 1.0 / 86400, 1},
        {Interval::Weekday, Jan1st2000, Jan1st2000 + 13, 1},
        {Interval::Weekday, Jan1st2000 + 13, Jan1st2000, -1},
        {Interval::Week, sat, sun, 1},
        {Interval::Week, sun, sun + 6, 0},
        {Interval::Week, sat, sun, 0, 2}, // weeks starting on Monday
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm::dateDiff(c.interval, c.a, c.b, c.firstDay), c.expected)
            << static_cast<int>(c.interval) << " " << c.a << " " << c.b;
}

TEST(LibDateMath, DatePartWeeksFollowTheFirstWeekRule) {
    using dm::Interval;
    EXPECT_EQ(dm::datePart(Interval::Week, Jan1st2000), 1);
    EXPECT_EQ(dm::datePart(Interval::Week, Jan1st2000 + 1), 2);
    EXPECT_EQ(dm::datePart(Interval::Week, Jan1st2000, 1, 3), 52); // first full week starts on 1/2/2000
    // Weeks starting Monday, first week holding four days: 12/31/2001 is in week 1 of 2002,
    // 1/1/2005 in week 53 of 2004, 1/3/2005 starts week 1.
    EXPECT_EQ(dm::datePart(Interval::Week, 37256, 2, 2), 1);
    EXPECT_EQ(dm::datePart(Interval::Week, 38353, 2, 2), 53);
    EXPECT_EQ(dm::datePart(Interval::Week, 38355, 2, 2), 1);
    EXPECT_EQ(dm::datePart(Interval::DayOfYear, Jan1st2000 + 365), 366);
    EXPECT_EQ(dm::datePart(Interval::Quarter, Jan1st2000 + 125), 2);
    EXPECT_EQ(dm::datePart(Interval::Hour, 0.75), 18);
    EXPECT_EQ(errorNumber([] { dm::datePart(Interval::Week, 0, 1, 4); }), tvk::err::InvalidCall);
}

TEST(LibDateMath, IntervalNamesIgnoreCaseAndRejectOthers) {
    EXPECT_EQ(dm::parseInterval(u"YYYY"), dm::Interval::Year);
    EXPECT_EQ(dm::parseInterval(u"ww"), dm::Interval::Week);
    EXPECT_EQ(dm::parseInterval(u"N"), dm::Interval::Minute);
    EXPECT_EQ(errorNumber([] { dm::parseInterval(u"yy"); }), tvk::err::InvalidCall);
    EXPECT_EQ(errorNumber([] { dm::parseInterval(u""); }), tvk::err::InvalidCall);
}

TEST(LibDateText, ParsesTheUsualSpellings) {
    struct Case {
        const char16_t* text;
        double serial;
    } cases[] = {
        {u"1/2/2003", Jan2nd2003},
        {u"01-02-2003", Jan2nd2003},
        {u"2003-01-02", Jan2nd2003},
        {u"2003/1/2", Jan2nd2003},
        {u"January 2, 2003", Jan2nd2003},
        {u"jan 2 03", Jan2nd2003},
        {u"2-Jan-03", Jan2nd2003},
        {u"2 January 2003", Jan2nd2003},
        {u"Thursday, January 2, 2003", Jan2nd2003},
        {u"13/1/2003", Jan2nd2003 + 11}, // no 13th month: read day first
        {u"3/2003", 37681},              // month and year: the 1st
        {u"  1/2/2003  ", Jan2nd2003},
        {u"1:30 PM", 0.5625},
        {u"13:30", 0.5625},
        {u"1:30:36 pm", 0.5629166666666667},
        {u"12:00 AM", 0},
        {u"12 PM", 0.5},
        {u"1/2/2003 6:00 AM", Jan2nd2003 + 0.25},
        {u"6:00 1/2/2003", Jan2nd2003 + 0.25},
        {u"12/29/1899 6:00", -1.25},
        {u"1/2", dm::dateSerial(2026, 1, 2)},
    };
    for (const Case& c : cases) {
        const auto r = dt::parse(c.text, 2026);
        ASSERT_TRUE(r.has_value()) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
        EXPECT_NEAR(*r, c.serial, 1e-9);
    }
}

TEST(LibDateText, RejectsTextThatIsNoDate) {
    for (const char16_t* text :
         {u"", u"  ", u"abc", u"5", u"2003", u"2/30/2003", u"1/2/3/4", u"25:00", u"13 PM", u"12:61", u"1/2/2003 x",
          u"1.5", u"1/2/20031", u"Jan Feb 2", u"99999999999/1/1", u"1:2:3:4", u":30"})
        EXPECT_FALSE(dt::parse(text, 2026).has_value())
            << std::string(text, text + std::char_traits<char16_t>::length(text));
}

TEST(LibDateText, FormatsInTheInvariantEnglishForms) {
    EXPECT_EQ(dt::general(0), u"12:00:00 AM");
    EXPECT_EQ(dt::general(Jan1st2000), u"1/1/2000");
    EXPECT_EQ(dt::general(Jan1st2000 + 0.5), u"1/1/2000 12:00:00 PM");
    EXPECT_EQ(dt::general(0.75), u"6:00:00 PM");
    EXPECT_EQ(dt::general(-1.25), u"12/29/1899 6:00:00 AM");
    EXPECT_EQ(dt::longDate(Jan2nd2003), u"Thursday, January 2, 2003");
    EXPECT_EQ(dt::longTime(0.5629166666666667), u"1:30:36 PM");
    EXPECT_EQ(dt::shortTime(0.5625), u"13:30");
    EXPECT_EQ(dt::shortTime(1.0 / 24), u"01:00");
    EXPECT_EQ(dt::formatDateTime(Jan2nd2003 + 0.25, 2), u"1/2/2003");
    EXPECT_EQ(dt::formatDateTime(Jan2nd2003 + 0.25, 0), u"1/2/2003 6:00:00 AM");
    EXPECT_EQ(errorNumber([] { dt::formatDateTime(0, 5); }), tvk::err::InvalidCall);
    EXPECT_EQ(errorNumber([] { dt::general(3e6); }), tvk::err::InvalidCall);
    EXPECT_EQ(dt::monthName(9, true), u"Sep");
    EXPECT_EQ(dt::weekdayName(4, false), u"Wednesday");
    EXPECT_EQ(errorNumber([] { dt::monthName(13, false); }), tvk::err::InvalidCall);
}

TEST(LibDateText, EveryFormattedDateInTheRangeReadsBackToItsSerial) {
    // Whole seconds across the whole range, both sides of the epoch.
    for (double day = dm::MinSerial; day < 2958465; day += 997) {
        const double seconds = std::fmod(day * 7919, 86400);
        const double serial = dm::compose(static_cast<int64_t>(day), seconds / 86400.0);
        const std::u16string text = dt::general(serial);
        const auto back = dt::parse(text, 2026);
        ASSERT_TRUE(back.has_value()) << serial;
        ASSERT_EQ(*back, serial) << std::string(text.begin(), text.end());
        const dm::DateParts p = dm::split(serial);
        ASSERT_EQ(dm::dateSerial(p.year, p.month, p.day), std::trunc(serial)) << serial;
    }
}

TEST(LibDateText, FormattedDatesReadBackToTheSameSerial) {
    for (double serial : {Jan1st2000, Jan2nd2003 + 0.25, -1.25, 0.75, 2958465.5, -657434.0}) {
        const auto back = dt::parse(dt::general(serial), 2026);
        ASSERT_TRUE(back.has_value()) << serial;
        EXPECT_NEAR(*back, serial, 1e-9);
    }
}
