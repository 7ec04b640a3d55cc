#pragma once

#include <optional>
#include <string>
#include <string_view>

// Reading and writing dates as text in the invariant English locale: month/day/year order, 12-hour clock with
// AM/PM, English month and weekday names.
namespace tvk::script::datetext {

// Reads a date, a time or both ("1/2/2003", "2003-01-02", "January 2, 2003", "2-Jan-03", "13:45",
// "1:45:30 PM", "Monday, Jan 2 2003 6:00 AM"); month and weekday names in English or in the active locale
// ("3. März 2024"). The active locale's order of day and month is tried first, then the other when that is
// the only valid reading. A missing year is `currentYear`. Empty when the text is no date.
std::optional<double> parse(std::u16string_view text, int currentYear);

// The general form: date only at midnight, time only on 12/30/1899, else "M/D/YYYY h:mm:ss AM".
std::u16string general(double serial);
// "M/D/YYYY".
std::u16string shortDate(double serial);
// "Monday, January 2, 2003".
std::u16string longDate(double serial);
// "1:02:03 PM".
std::u16string longTime(double serial);
// "13:02".
std::u16string shortTime(double serial);
// FormatDateTime's named formats 0..4; others raise error 5.
std::u16string formatDateTime(double serial, int namedFormat);

// English names: month 1..12 and weekday 1..7 (1 = Sunday); out of range raises error 5.
std::u16string monthName(int month, bool abbreviate);
std::u16string weekdayName(int weekday, bool abbreviate);

} // namespace tvk::script::datetext
