#pragma once

#include <cstdint>
#include <string_view>

// Calendar arithmetic on date serials: a date is a double counting days since 12/30/1899, with the time of
// day as the fraction. Before that day the whole part counts backwards while the fraction still runs forward
// (-1.25 is 12/29/1899 06:00), so every computation goes through a linear timeline first.
namespace tvk::script::datemath {

// Smallest and largest serial a date may hold: 1/1/100 and 12/31/9999 23:59:59.
inline constexpr double MinSerial = -657434.0;
inline constexpr double MaxSerial = 2958465.99998842592;

struct DateParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// True when `serial` lies inside the representable range (and is not NaN).
bool inRange(double serial);
// Days from 12/30/1899 to the given proleptic Gregorian date; month and day may overflow or underflow
// (month 13 is January of the next year, day 0 the last day of the month before).
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day);
// Years 0..29 read as 2000..2029 and 30..99 as 1930..1999, as two-digit years are read everywhere.
int64_t expandTwoDigitYear(int64_t year);

// Linear time in days (negative dates unfolded) and back.
double toLinear(double serial);
double fromLinear(double linear);
// Serial of a day number plus a time-of-day fraction in [0, 1).
double compose(int64_t days, double timeFraction);

// Splits a serial into calendar fields, rounded to the second; error 5 outside the date range.
DateParts split(double serial);
// The time of day alone (on 12/30/1899), rounded to the second and built as a written time would be.
double timeOfDay(double serial);
// Weekday 1..7 counted from `firstDayOfWeek` (1 = Sunday .. 7 = Saturday; 0 means Sunday).
int weekday(double serial, int firstDayOfWeek = 1);

// DateSerial / TimeSerial: raise error 5 when the result leaves the date range.
double dateSerial(double year, double month, double day);
double timeSerial(double hour, double minute, double second);

// The interval names DateAdd, DateDiff and DatePart accept ("yyyy", "q", "m", "y", "d", "w", "ww", "h", "n",
// "s", any case). Unknown names raise error 5.
enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };
Interval parseInterval(std::u16string_view name);

// DateAdd: the day of month is clamped when months or years are added (1/31 + 1 month = 2/28 or 2/29).
double dateAdd(Interval interval, double number, double serial);
// DateDiff: counts the interval boundaries crossed from `a` to `b` ("w" counts whole weeks of seven days).
int64_t dateDiff(Interval interval, double a, double b, int firstDayOfWeek = 1, int firstWeekOfYear = 1);
// DatePart; `firstWeekOfYear` 1 = week of Jan 1, 2 = first week with four days, 3 = first full week.
int datePart(Interval interval, double serial, int firstDayOfWeek = 1, int firstWeekOfYear = 1);

} // namespace tvk::script::datemath
