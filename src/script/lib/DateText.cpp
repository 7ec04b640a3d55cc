#include "script/lib/DateText.h"

#include "events/RuntimeError.h"
#include "script/lib/DateMath.h"
#include "script/lib/ScriptLocale.h"
#include "script/lib/TextFold.h"

#include <cmath>
#include <vector>

namespace tvk::script::datetext {
namespace {

constexpr const char* MonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                      "July",    "August",   "September", "October", "November", "December"};
constexpr const char* DayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::u16string widen(std::string_view s) {
    return std::u16string(s.begin(), s.end());
}

char16_t lower(char16_t c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool equalsIgnoreCase(std::u16string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(static_cast<char16_t>(b[i]))) return false;
    return true;
}

// Index in `names` (full names, then as many abbreviated ones) of the word, ignoring letter case
// beyond ASCII too ("MÄRZ"), else -1.
int findLocalName(std::u16string_view word, const char16_t* const* names, int count) {
    if (!names) return -1;
    const std::u16string folded = textfold::lower(word);
    for (int i = 0; i < 2 * count; ++i)
        if (folded == textfold::lower(names[i])) return i % count;
    return -1;
}

// 1..12 for a full or three-letter English month name, or a full or abbreviated one of the active
// locale (SetLocale), else 0.
int monthFromWord(std::u16string_view word) {
    for (int m = 0; m < 12; ++m) {
        const std::string_view full = MonthNames[m];
        if (equalsIgnoreCase(word, full) || equalsIgnoreCase(word, full.substr(0, 3))) return m + 1;
    }
    return findLocalName(word, locale::active().months, 12) + 1;
}

bool isWeekdayWord(std::u16string_view word) {
    for (const char* name : DayNames) {
        const std::string_view full = name;
        if (equalsIgnoreCase(word, full) || equalsIgnoreCase(word, full.substr(0, 3))) return true;
    }
    return findLocalName(word, locale::active().weekdays, 7) >= 0;
}

struct Token {
    enum Kind { Number, Word, Colon, Separator } kind;
    int value = 0;  // numbers
    int digits = 0; // numbers
    std::u16string_view text;
};

// ASCII and Latin-1 letters: the names of the supported locales use no others ("März", "lunedì").
bool isLetter(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7);
}
bool isDigit(char16_t c) {
    return c >= '0' && c <= '9';
}

// Splits the text into numbers, words, colons and date separators; false on any other character.
bool tokenize(std::u16string_view text, std::vector<Token>& out) {
    size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (isDigit(c)) {
            size_t j = i;
            int value = 0;
            while (j < text.size() && isDigit(text[j])) {
                if (j - i >= 9) return false;
                value = value * 10 + (text[j] - '0');
                ++j;
            }
            out.push_back({Token::Number, value, static_cast<int>(j - i), text.substr(i, j - i)});
            i = j;
        } else if (isLetter(c)) {
            size_t j = i;
            while (j < text.size() && (isLetter(text[j]) || text[j] == '.'))
                ++j;
            std::u16string_view word = text.substr(i, j - i);
            while (!word.empty() && word.back() == '.')
                word.remove_suffix(1);
            out.push_back({Token::Word, 0, 0, word});
            i = j;
        } else if (c == ':') {
            out.push_back({Token::Colon, 0, 0, text.substr(i, 1)});
            ++i;
        } else if (c == '/' || c == '-' || c == ',' || (c == '.' && locale::active().dateSeparator == u'.')) {
            out.push_back({Token::Separator, 0, 0, text.substr(i, 1)});
            ++i;
        } else if (c == ' ' || c == '\t') {
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

int daysIn(int year, int month) {
    return static_cast<int>(datemath::daysFromCivil(year, month + 1, 1) - datemath::daysFromCivil(year, month, 1));
}

bool validDate(int year, int month, int day) {
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysIn(year, month);
}

struct DateNumber {
    int value;
    int digits;
};

int yearOf(const DateNumber& n) {
    return n.digits <= 2 ? static_cast<int>(datemath::expandTwoDigitYear(n.value)) : n.value;
}

bool looksLikeYear(const DateNumber& n) {
    return n.digits >= 3 || n.value > 31;
}

// Resolves the numbers of a date (and an optional month name) to a day number.
std::optional<int64_t> resolveDate(const std::vector<DateNumber>& nums, int monthWord, int currentYear) {
    auto make = [](int y, int m, int d) -> std::optional<int64_t> {
        if (!validDate(y, m, d)) return std::nullopt;
        return datemath::daysFromCivil(y, m, d);
    };
    if (monthWord != 0) {
        if (nums.size() == 1) {
            if (looksLikeYear(nums[0])) return make(yearOf(nums[0]), monthWord, 1);
            return make(currentYear, monthWord, nums[0].value);
        }
        if (nums.size() == 2) {
            if (looksLikeYear(nums[0])) return make(yearOf(nums[0]), monthWord, nums[1].value);
            return make(yearOf(nums[1]), monthWord, nums[0].value);
        }
        return std::nullopt;
    }
    // The active locale's order first (month/day or day/month), then the other one.
    const bool dayFirst = locale::active().dayFirst;
    const size_t m = dayFirst ? 1 : 0, d = dayFirst ? 0 : 1;
    if (nums.size() == 3) {
        if (looksLikeYear(nums[0])) return make(yearOf(nums[0]), nums[1].value, nums[2].value);
        if (auto r = make(yearOf(nums[2]), nums[m].value, nums[d].value)) return r;
        return make(yearOf(nums[2]), nums[d].value, nums[m].value);
    }
    if (nums.size() == 2) {
        if (auto r = make(currentYear, nums[m].value, nums[d].value)) return r;
        if (auto r = make(currentYear, nums[d].value, nums[m].value)) return r;
        if (looksLikeYear(nums[1])) return make(yearOf(nums[1]), nums[0].value, 1);
        return std::nullopt;
    }
    return std::nullopt;
}

std::u16string twoDigits(int v) {
    std::u16string s;
    s.push_back(static_cast<char16_t>('0' + v / 10 % 10));
    s.push_back(static_cast<char16_t>('0' + v % 10));
    return s;
}

std::u16string number(int v) {
    const std::string s = std::to_string(v);
    return widen(s);
}

void checkRange(double serial) {
    if (!datemath::inRange(serial)) throw RuntimeError(err::InvalidCall);
}

} // namespace

std::optional<double> parse(std::u16string_view text, int currentYear) {
    std::vector<Token> tokens;
    if (!tokenize(text, tokens) || tokens.empty()) return std::nullopt;

    std::vector<DateNumber> dateNumbers;
    int monthWord = 0;
    bool hasTime = false;
    int hour = 0, minute = 0, second = 0;
    int meridiem = 0; // 1 AM, 2 PM

    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        const bool timeStarts =
            t.kind == Token::Number && i + 1 < tokens.size() &&
            (tokens[i + 1].kind == Token::Colon ||
             (tokens[i + 1].kind == Token::Word &&
              (equalsIgnoreCase(tokens[i + 1].text, "am") || equalsIgnoreCase(tokens[i + 1].text, "pm") ||
               equalsIgnoreCase(tokens[i + 1].text, "a") || equalsIgnoreCase(tokens[i + 1].text, "p"))));
        if (timeStarts) {
            if (hasTime) return std::nullopt;
            hasTime = true;
            hour = t.value;
            size_t j = i + 1;
            int parts = 1;
            while (j + 1 < tokens.size() && tokens[j].kind == Token::Colon && tokens[j + 1].kind == Token::Number &&
                   parts < 3) {
                (parts == 1 ? minute : second) = tokens[j + 1].value;
                ++parts;
                j += 2;
            }
            if (j < tokens.size() && tokens[j].kind == Token::Colon) return std::nullopt;
            if (j < tokens.size() && tokens[j].kind == Token::Word) {
                const std::u16string_view w = tokens[j].text;
                if (equalsIgnoreCase(w, "am") || equalsIgnoreCase(w, "a")) {
                    meridiem = 1;
                    ++j;
                } else if (equalsIgnoreCase(w, "pm") || equalsIgnoreCase(w, "p")) {
                    meridiem = 2;
                    ++j;
                }
            }
            i = j - 1;
            continue;
        }
        switch (t.kind) {
        case Token::Number:
            if (dateNumbers.size() == 3) return std::nullopt;
            dateNumbers.push_back({t.value, t.digits});
            break;
        case Token::Word:
            if (int m = monthFromWord(t.text)) {
                if (monthWord != 0) return std::nullopt;
                monthWord = m;
            } else if (!isWeekdayWord(t.text)) {
                return std::nullopt;
            }
            break;
        case Token::Colon:
            return std::nullopt;
        case Token::Separator:
            break;
        }
    }

    double fraction = 0;
    if (hasTime) {
        if (meridiem != 0) {
            if (hour > 12) return std::nullopt;
            hour = hour % 12 + (meridiem == 2 ? 12 : 0);
        }
        if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
        fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
    }
    if (dateNumbers.empty() && monthWord == 0) return hasTime ? std::optional<double>(fraction) : std::nullopt;
    const std::optional<int64_t> days = resolveDate(dateNumbers, monthWord, currentYear);
    if (!days) return std::nullopt;
    return datemath::compose(*days, fraction);
}

std::u16string shortDate(double serial) {
    checkRange(serial);
    const datemath::DateParts p = datemath::split(serial);
    const locale::Format& loc = locale::active();
    const std::u16string sep(1, loc.dateSeparator);
    if (loc.dayFirst) return twoDigits(p.day) + sep + twoDigits(p.month) + sep + number(p.year);
    return number(p.month) + sep + number(p.day) + sep + number(p.year);
}

std::u16string longDate(double serial) {
    checkRange(serial);
    const datemath::DateParts p = datemath::split(serial);
    const std::u16string weekday = weekdayName(datemath::weekday(serial), false), month = monthName(p.month, false);
    switch (locale::active().id) {
    case 1031:
        return weekday + u", " + number(p.day) + u". " + month + u" " + number(p.year);
    case 1040:
        return weekday + u" " + number(p.day) + u" " + month + u" " + number(p.year);
    default:
        return weekday + u", " + month + u" " + number(p.day) + u", " + number(p.year);
    }
}

std::u16string longTime(double serial) {
    checkRange(serial);
    const datemath::DateParts p = datemath::split(serial);
    if (locale::active().clock24) return twoDigits(p.hour) + u":" + twoDigits(p.minute) + u":" + twoDigits(p.second);
    const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    return number(h12) + u":" + twoDigits(p.minute) + u":" + twoDigits(p.second) + (p.hour < 12 ? u" AM" : u" PM");
}

std::u16string shortTime(double serial) {
    checkRange(serial);
    const datemath::DateParts p = datemath::split(serial);
    return twoDigits(p.hour) + u":" + twoDigits(p.minute);
}

std::u16string general(double serial) {
    checkRange(serial);
    const datemath::DateParts p = datemath::split(serial);
    const bool onEpochDay = p.year == 1899 && p.month == 12 && p.day == 30;
    const bool atMidnight = p.hour == 0 && p.minute == 0 && p.second == 0;
    if (onEpochDay) return longTime(serial);
    if (atMidnight) return shortDate(serial);
    return shortDate(serial) + u" " + longTime(serial);
}

std::u16string formatDateTime(double serial, int namedFormat) {
    switch (namedFormat) {
    case 0:
        return general(serial);
    case 1:
        return longDate(serial);
    case 2:
        return shortDate(serial);
    case 3:
        return longTime(serial);
    case 4:
        return shortTime(serial);
    default:
        throw RuntimeError(err::InvalidCall);
    }
}

std::u16string monthName(int month, bool abbreviate) {
    if (month < 1 || month > 12) throw RuntimeError(err::InvalidCall);
    if (const char16_t* const* names = locale::active().months) return names[month - 1 + (abbreviate ? 12 : 0)];
    const std::string_view full = MonthNames[month - 1];
    return widen(abbreviate ? full.substr(0, 3) : full);
}

std::u16string weekdayName(int weekday, bool abbreviate) {
    if (weekday < 1 || weekday > 7) throw RuntimeError(err::InvalidCall);
    if (const char16_t* const* names = locale::active().weekdays) return names[weekday - 1 + (abbreviate ? 7 : 0)];
    const std::string_view full = DayNames[weekday - 1];
    return widen(abbreviate ? full.substr(0, 3) : full);
}

} // namespace tvk::script::datetext
