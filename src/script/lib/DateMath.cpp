#include "script/lib/DateMath.h"

#include "events/RuntimeError.h"

#include <algorithm>
#include <cmath>

namespace tvk::script::datemath {
namespace {

constexpr int64_t EpochShift = 25569; // days from 12/30/1899 to 1/1/1970

int64_t floorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

int64_t floorMod(int64_t a, int64_t b) {
    return a - floorDiv(a, b) * b;
}

// Days since 1/1/1970 of a normalised Gregorian date (month 1..12).
int64_t unixDays(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromUnixDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool isLeap(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int64_t y, int m) {
    static constexpr int table[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : table[m - 1];
}

// Whole-day part and time fraction as stored (no rounding), for arithmetic that keeps the time as it is.
void dayAndFraction(double serial, int64_t& days, double& fraction) {
    const double whole = std::trunc(serial);
    days = static_cast<int64_t>(whole);
    fraction = std::fabs(serial - whole);
}

double checked(double serial) {
    if (!inRange(serial)) throw RuntimeError(err::InvalidCall);
    return serial;
}

// Whole seconds on the linear timeline, for boundary counting by hour, minute and second.
int64_t linearSeconds(double serial) {
    return std::llround(toLinear(serial) * 86400.0);
}

// First day (day number) of week 1 of `year` under the given rules.
int64_t firstWeekStart(int year, int firstDayOfWeek, int firstWeekOfYear) {
    const int64_t jan1 = daysFromCivil(year, 1, 1);
    const int wd = weekday(static_cast<double>(jan1), firstDayOfWeek);
    const int64_t start = jan1 - (wd - 1);
    switch (firstWeekOfYear) {
    case 2: // the week holding at least four days of the new year
        return (8 - wd) >= 4 ? start : start + 7;
    case 3: // the first full week
        return wd == 1 ? start : start + 7;
    default: // the week holding January 1
        return start;
    }
}

int weekOfYear(double serial, int firstDayOfWeek, int firstWeekOfYear) {
    const DateParts p = split(serial);
    const int64_t day = daysFromCivil(p.year, p.month, p.day);
    int64_t start = firstWeekStart(p.year, firstDayOfWeek, firstWeekOfYear);
    if (day < start)
        start = firstWeekStart(p.year - 1, firstDayOfWeek, firstWeekOfYear);
    else if (firstWeekOfYear == 2) {
        // Late December days may already belong to week 1 of the next year.
        const int64_t next = firstWeekStart(p.year + 1, firstDayOfWeek, firstWeekOfYear);
        if (day >= next) start = next;
    }
    return static_cast<int>(floorDiv(day - start, 7) + 1);
}

int normaliseFirstDay(int firstDayOfWeek) {
    if (firstDayOfWeek == 0) return 1;
    if (firstDayOfWeek < 0 || firstDayOfWeek > 7) throw RuntimeError(err::InvalidCall);
    return firstDayOfWeek;
}

int normaliseFirstWeek(int firstWeekOfYear) {
    if (firstWeekOfYear == 0) return 1;
    if (firstWeekOfYear < 0 || firstWeekOfYear > 3) throw RuntimeError(err::InvalidCall);
    return firstWeekOfYear;
}

} // namespace

bool inRange(double serial) {
    return serial >= MinSerial && serial < MaxSerial + 1e-9;
}

int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
    year += floorDiv(month - 1, 12);
    month = floorMod(month - 1, 12) + 1;
    return unixDays(year, month, 1) + (day - 1) + EpochShift;
}

int64_t expandTwoDigitYear(int64_t year) {
    if (year >= 0 && year < 30) return year + 2000;
    if (year >= 30 && year < 100) return year + 1900;
    return year;
}

double toLinear(double serial) {
    int64_t days;
    double fraction;
    dayAndFraction(serial, days, fraction);
    return static_cast<double>(days) + fraction;
}

double fromLinear(double linear) {
    const double day = std::floor(linear);
    return compose(static_cast<int64_t>(day), linear - day);
}

double compose(int64_t days, double timeFraction) {
    return days >= 0 ? static_cast<double>(days) + timeFraction : static_cast<double>(days) - timeFraction;
}

DateParts split(double serial) {
    checked(serial);
    int64_t days;
    double fraction;
    dayAndFraction(serial, days, fraction);
    int64_t seconds = std::llround(fraction * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    DateParts p;
    civilFromUnixDays(days - EpochShift, p.year, p.month, p.day);
    p.hour = static_cast<int>(seconds / 3600);
    p.minute = static_cast<int>(seconds / 60 % 60);
    p.second = static_cast<int>(seconds % 60);
    return p;
}

double timeOfDay(double serial) {
    const DateParts p = split(serial);
    return (p.hour * 3600 + p.minute * 60 + p.second) / 86400.0;
}

int weekday(double serial, int firstDayOfWeek) {
    const DateParts p = split(serial);
    const int64_t day = daysFromCivil(p.year, p.month, p.day);
    const int64_t sundayBased = floorMod(day + 6, 7) + 1; // 12/30/1899 was a Saturday
    return static_cast<int>(floorMod(sundayBased - normaliseFirstDay(firstDayOfWeek), 7) + 1);
}

double dateSerial(double year, double month, double day) {
    const double limit = 1e7; // far outside the date range, keeps the integer arithmetic exact
    if (!(std::fabs(year) < limit && std::fabs(month) < limit && std::fabs(day) < limit))
        throw RuntimeError(err::InvalidCall);
    const int64_t y = expandTwoDigitYear(static_cast<int64_t>(std::nearbyint(year)));
    const int64_t days =
        daysFromCivil(y, static_cast<int64_t>(std::nearbyint(month)), static_cast<int64_t>(std::nearbyint(day)));
    return checked(static_cast<double>(days));
}

double timeSerial(double hour, double minute, double second) {
    const double limit = 1e9;
    if (!(std::fabs(hour) < limit && std::fabs(minute) < limit && std::fabs(second) < limit))
        throw RuntimeError(err::InvalidCall);
    const int64_t total = static_cast<int64_t>(std::nearbyint(hour)) * 3600 +
                          static_cast<int64_t>(std::nearbyint(minute)) * 60 +
                          static_cast<int64_t>(std::nearbyint(second));
    const int64_t days = floorDiv(total, 86400);
    const int64_t rest = total - days * 86400;
    return checked(compose(days, static_cast<double>(rest) / 86400.0));
}

Interval parseInterval(std::u16string_view name) {
    std::string lower;
    for (char16_t c : name) {
        if (c > 127) throw RuntimeError(err::InvalidCall);
        lower.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
    }
    if (lower == "yyyy") return Interval::Year;
    if (lower == "q") return Interval::Quarter;
    if (lower == "m") return Interval::Month;
    if (lower == "y") return Interval::DayOfYear;
    if (lower == "d") return Interval::Day;
    if (lower == "w") return Interval::Weekday;
    if (lower == "ww") return Interval::Week;
    if (lower == "h") return Interval::Hour;
    if (lower == "n") return Interval::Minute;
    if (lower == "s") return Interval::Second;
    throw RuntimeError(err::InvalidCall);
}

double dateAdd(Interval interval, double number, double serial) {
    checked(serial);
    const double n = std::trunc(number);
    if (!std::isfinite(n) || std::fabs(n) > 1e12) throw RuntimeError(err::InvalidCall);
    const auto count = static_cast<int64_t>(n);
    int64_t days;
    double fraction;
    dayAndFraction(serial, days, fraction);
    auto addMonths = [&](int64_t months) {
        int y, m, d;
        civilFromUnixDays(days - EpochShift, y, m, d);
        const int64_t total = static_cast<int64_t>(y) * 12 + (m - 1) + months;
        const int64_t ny = floorDiv(total, 12);
        const int nm = static_cast<int>(floorMod(total, 12)) + 1;
        if (ny < 100 || ny > 9999) throw RuntimeError(err::InvalidCall);
        const int nd = std::min(d, daysInMonth(ny, nm));
        return checked(compose(daysFromCivil(ny, nm, nd), fraction));
    };
    switch (interval) {
    case Interval::Year:
        return addMonths(count * 12);
    case Interval::Quarter:
        return addMonths(count * 3);
    case Interval::Month:
        return addMonths(count);
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday:
        return checked(compose(days + count, fraction));
    case Interval::Week:
        return checked(compose(days + count * 7, fraction));
    case Interval::Hour:
    case Interval::Minute:
    case Interval::Second: {
        const int64_t unit = interval == Interval::Hour ? 3600 : interval == Interval::Minute ? 60 : 1;
        if (std::fabs(n) * static_cast<double>(unit) > 4e11) throw RuntimeError(err::InvalidCall);
        // Whole seconds, split the way a date is written, so the result equals the same date read from text.
        const int64_t seconds = linearSeconds(serial) + count * unit;
        const int64_t day = floorDiv(seconds, 86400);
        return checked(compose(day, static_cast<double>(seconds - day * 86400) / 86400.0));
    }
    }
    throw RuntimeError(err::InvalidCall);
}

int64_t dateDiff(Interval interval, double a, double b, int firstDayOfWeek, int firstWeekOfYear) {
    checked(a);
    checked(b);
    const int fdow = normaliseFirstDay(firstDayOfWeek);
    normaliseFirstWeek(firstWeekOfYear);
    const DateParts pa = split(a);
    const DateParts pb = split(b);
    const int64_t da = daysFromCivil(pa.year, pa.month, pa.day);
    const int64_t db = daysFromCivil(pb.year, pb.month, pb.day);
    switch (interval) {
    case Interval::Year:
        return pb.year - pa.year;
    case Interval::Quarter:
        return (pb.year * 4 + (pb.month - 1) / 3) - (pa.year * 4 + (pa.month - 1) / 3);
    case Interval::Month:
        return (pb.year * 12 + pb.month) - (pa.year * 12 + pa.month);
    case Interval::DayOfYear:
    case Interval::Day:
        return db - da;
    case Interval::Weekday:
        return (db - da) / 7;
    case Interval::Week:
        return floorDiv(db - fdow, 7) - floorDiv(da - fdow, 7);
    case Interval::Hour:
        return floorDiv(linearSeconds(b), 3600) - floorDiv(linearSeconds(a), 3600);
    case Interval::Minute:
        return floorDiv(linearSeconds(b), 60) - floorDiv(linearSeconds(a), 60);
    case Interval::Second:
        return linearSeconds(b) - linearSeconds(a);
    }
    throw RuntimeError(err::InvalidCall);
}

int datePart(Interval interval, double serial, int firstDayOfWeek, int firstWeekOfYear) {
    checked(serial);
    const int fdow = normaliseFirstDay(firstDayOfWeek);
    const int fwoy = normaliseFirstWeek(firstWeekOfYear);
    const DateParts p = split(serial);
    switch (interval) {
    case Interval::Year:
        return p.year;
    case Interval::Quarter:
        return (p.month - 1) / 3 + 1;
    case Interval::Month:
        return p.month;
    case Interval::DayOfYear:
        return static_cast<int>(daysFromCivil(p.year, p.month, p.day) - daysFromCivil(p.year, 1, 1) + 1);
    case Interval::Day:
        return p.day;
    case Interval::Weekday:
        return weekday(serial, fdow);
    case Interval::Week:
        return weekOfYear(serial, fdow, fwoy);
    case Interval::Hour:
        return p.hour;
    case Interval::Minute:
        return p.minute;
    case Interval::Second:
        return p.second;
    }
    throw RuntimeError(err::InvalidCall);
}

} // namespace tvk::script::datemath
