#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The locale conversions between numbers, dates and text follow (SetLocale/GetLocale). The
// active locale belongs to the running thread; ScriptControl makes an engine's locale active for
// the length of each call into it, so engines and tests never see one another's choice.
namespace tvk::script::locale {

struct Format {
    int32_t id;               // locale identifier (1033 English - United States)
    const char16_t* tag;      // "en-us"
    char16_t decimal;         // decimal separator
    char16_t group;           // digit grouping separator
    const char16_t* currency; // currency symbol
    bool currencyAfter;       // "1.234,50 €" rather than "$1,234.50"
    bool dayFirst;            // day before month in dates
    char16_t dateSeparator;   // between day, month and year
    bool clock24;             // "13:45:00" rather than "1:45:00 PM"
    // Month names (12 full, then 12 abbreviated) and weekday names from Sunday (7 full, then 7
    // abbreviated); nullptr for the English ones.
    const char16_t* const* months;
    const char16_t* const* weekdays;
};

inline constexpr int32_t DefaultId = 1033;

// The supported locale with this identifier, or nullptr.
const Format* find(int32_t id);
// The supported locale with this tag ("de-de", any letter case), or nullptr.
const Format* find(std::u16string_view tag);
// The locale active on this thread (English - United States unless set).
const Format& active();
// Makes a supported locale active on this thread.
void setActive(const Format& format);

} // namespace tvk::script::locale
