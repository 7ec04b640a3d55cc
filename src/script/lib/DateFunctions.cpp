// Date and time family: Now, Date, Time, Timer, DateSerial, TimeSerial, DateAdd, DateDiff, DatePart, the part
// functions, WeekdayName, MonthName, IsDate, DateValue, TimeValue, FormatDateTime.
#include "script/lib/DateConvert.h"
#include "script/lib/DateMath.h"
#include "script/lib/DateText.h"
#include "script/lib/LibArgs.h"
#include "script/lib/LibraryFamilies.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace tvk::script::lib {

namespace dm = datemath;

namespace {

std::tm localParts(CallContext& ctx, int& millis) {
    const auto now = ctx.now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    millis = static_cast<int>(((ms % 1000) + 1000) % 1000);
    return local;
}

int currentYear(CallContext& ctx) {
    int ms;
    return localParts(ctx, ms).tm_year + 1900;
}

} // namespace

double localNow(CallContext& ctx) {
    int ms;
    const std::tm t = localParts(ctx, ms);
    const int64_t days = dm::daysFromCivil(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return dm::compose(days, (t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec) / 86400.0);
}

std::optional<double> tryDateOf(CallContext& ctx, const Value& arg) {
    const Value v = arg.isObject() && !arg.isNothing() ? defaultValue(arg) : arg;
    if (v.type() == VarType::Date) return v.rawDouble();
    if (v.isString()) return datetext::parse(v.str(), currentYear(ctx));
    return std::nullopt;
}

double dateOf(CallContext& ctx, const Value& arg) {
    const Value v = plain(arg);
    switch (v.type()) {
    case VarType::Null:
        throw RuntimeError(err::InvalidUseOfNull);
    case VarType::String: {
        const auto d = datetext::parse(v.str(), currentYear(ctx));
        if (!d) throw RuntimeError(err::TypeMismatch);
        return *d;
    }
    case VarType::Date:
        return v.rawDouble();
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency: {
        const double d = toDouble(v);
        if (!dm::inRange(d)) throw RuntimeError(err::Overflow);
        return d;
    }
    default:
        throw RuntimeError(err::TypeMismatch);
    }
}

namespace {

Value now(CallContext& ctx, std::span<Value>) {
    return Value::date(localNow(ctx));
}
Value date(CallContext& ctx, std::span<Value>) {
    return Value::date(std::trunc(localNow(ctx)));
}

Value time(CallContext& ctx, std::span<Value>) {
    return Value::date(dm::timeOfDay(localNow(ctx)));
}

Value timer(CallContext& ctx, std::span<Value>) {
    int ms;
    const std::tm t = localParts(ctx, ms);
    const double seconds = t.tm_hour * 3600.0 + t.tm_min * 60.0 + t.tm_sec + ms / 1000.0;
    return Value::single(static_cast<float>(seconds));
}

double number(const Value& v) {
    if (plain(v).isNull()) throw RuntimeError(err::InvalidUseOfNull);
    return toDouble(v);
}

Value dateSerial(CallContext&, std::span<Value> a) {
    return Value::date(dm::dateSerial(number(a[0]), number(a[1]), number(a[2])));
}

Value timeSerial(CallContext&, std::span<Value> a) {
    return Value::date(dm::timeSerial(number(a[0]), number(a[1]), number(a[2])));
}

dm::Interval interval(const Value& v) {
    if (plain(v).isNull()) throw RuntimeError(err::InvalidUseOfNull);
    return dm::parseInterval(toString(v));
}

int firstDayArg(std::span<Value> a, size_t i) {
    return optLong(a, i, 1);
}
int firstWeekArg(std::span<Value> a, size_t i) {
    return optLong(a, i, 1);
}

Value dateAdd(CallContext& ctx, std::span<Value> a) {
    const dm::Interval iv = interval(a[0]);
    const double n = number(a[1]);
    if (plain(a[2]).isNull()) return Value::null();
    return Value::date(dm::dateAdd(iv, n, dateOf(ctx, a[2])));
}

Value dateDiff(CallContext& ctx, std::span<Value> a) {
    const dm::Interval iv = interval(a[0]);
    if (anyNull(a, 3)) return Value::null();
    const int64_t d = dm::dateDiff(iv, dateOf(ctx, a[1]), dateOf(ctx, a[2]), firstDayArg(a, 3), firstWeekArg(a, 4));
    if (d < INT32_MIN || d > INT32_MAX) throw RuntimeError(err::Overflow);
    return Value::lng(static_cast<int32_t>(d));
}

Value datePart(CallContext& ctx, std::span<Value> a) {
    const dm::Interval iv = interval(a[0]);
    if (plain(a[1]).isNull()) return Value::null();
    return Value::integer(
        static_cast<int16_t>(dm::datePart(iv, dateOf(ctx, a[1]), firstDayArg(a, 2), firstWeekArg(a, 3))));
}

template <dm::Interval Part> Value part(CallContext& ctx, std::span<Value> a) {
    if (plain(a[0]).isNull()) return Value::null();
    return Value::integer(static_cast<int16_t>(dm::datePart(Part, dateOf(ctx, a[0]))));
}

Value weekday(CallContext& ctx, std::span<Value> a) {
    if (plain(a[0]).isNull()) return Value::null();
    return Value::integer(static_cast<int16_t>(dm::weekday(dateOf(ctx, a[0]), firstDayArg(a, 1))));
}

// WeekdayName(weekday[, abbreviate[, firstdayofweek]]): `weekday` counts from `firstdayofweek`.
Value weekdayName(CallContext&, std::span<Value> a) {
    const int32_t day = toLong(a[0]);
    const bool abbreviate = optBool(a, 1, false);
    int first = optLong(a, 2, 1);
    if (first == 0) first = 1;
    if (first < 0 || first > 7 || day < 1 || day > 7) throw RuntimeError(err::InvalidCall);
    return Value::string(datetext::weekdayName((day - 1 + first - 1) % 7 + 1, abbreviate));
}

Value monthName(CallContext&, std::span<Value> a) {
    return Value::string(datetext::monthName(toLong(a[0]), optBool(a, 1, false)));
}

Value isDate(CallContext& ctx, std::span<Value> a) {
    return Value::boolean(tryDateOf(ctx, a[0]).has_value());
}

Value cDate(CallContext& ctx, std::span<Value> a) {
    return Value::date(dateOf(ctx, a[0]));
}

Value dateValue(CallContext& ctx, std::span<Value> a) {
    if (plain(a[0]).isNull()) return Value::null();
    return Value::date(std::trunc(dateOf(ctx, a[0])));
}

Value timeValue(CallContext& ctx, std::span<Value> a) {
    if (plain(a[0]).isNull()) return Value::null();
    return Value::date(dm::timeOfDay(dateOf(ctx, a[0])));
}

Value formatDateTime(CallContext& ctx, std::span<Value> a) {
    if (plain(a[0]).isNull()) throw RuntimeError(err::TypeMismatch);
    return Value::string(datetext::formatDateTime(dateOf(ctx, a[0]), optLong(a, 1, 0)));
}

} // namespace

void registerDateFunctions(BuiltinTable& t) {
    t.add("Now", &now, 0, 0);
    t.add("Date", &date, 0, 0);
    t.add("Time", &time, 0, 0);
    t.add("Timer", &timer, 0, 0);
    t.add("DateSerial", &dateSerial, 3, 3);
    t.add("TimeSerial", &timeSerial, 3, 3);
    t.add("DateAdd", &dateAdd, 3, 3);
    t.add("DateDiff", &dateDiff, 3, 5);
    t.add("DatePart", &datePart, 2, 4);
    t.add("Year", &part<dm::Interval::Year>, 1, 1);
    t.add("Month", &part<dm::Interval::Month>, 1, 1);
    t.add("Day", &part<dm::Interval::Day>, 1, 1);
    t.add("Hour", &part<dm::Interval::Hour>, 1, 1);
    t.add("Minute", &part<dm::Interval::Minute>, 1, 1);
    t.add("Second", &part<dm::Interval::Second>, 1, 1);
    t.add("Weekday", &weekday, 1, 2);
    t.add("WeekdayName", &weekdayName, 1, 3);
    t.add("MonthName", &monthName, 1, 2);
    t.add("IsDate", &isDate, 1, 1);
    t.add("CDate", &cDate, 1, 1);
    t.add("DateValue", &dateValue, 1, 1);
    t.add("TimeValue", &timeValue, 1, 1);
    t.add("FormatDateTime", &formatDateTime, 1, 2);

    const char* days[] = {"vbSunday", "vbMonday", "vbTuesday", "vbWednesday", "vbThursday", "vbFriday", "vbSaturday"};
    for (int i = 0; i < 7; ++i)
        t.addConstant(days[i], Value::integer(static_cast<int16_t>(i + 1)));
    t.addConstant("vbUseSystemDayOfWeek", Value::integer(0));
    t.addConstant("vbUseSystem", Value::integer(0));
    t.addConstant("vbFirstJan1", Value::integer(1));
    t.addConstant("vbFirstFourDays", Value::integer(2));
    t.addConstant("vbFirstFullWeek", Value::integer(3));
    t.addConstant("vbGeneralDate", Value::integer(0));
    t.addConstant("vbLongDate", Value::integer(1));
    t.addConstant("vbShortDate", Value::integer(2));
    t.addConstant("vbLongTime", Value::integer(3));
    t.addConstant("vbShortTime", Value::integer(4));
}

} // namespace tvk::script::lib
