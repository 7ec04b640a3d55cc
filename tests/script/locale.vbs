' SetLocale changes how numbers, currency and dates become text and back; GetLocale tells which.
AssertEq GetLocale(), CLng(1033), "English - United States by default"
AssertEq CStr(1.5), "1.5", "default decimal point"

Dim before
before = SetLocale(1031)
AssertEq before, CLng(1033), "SetLocale returns the locale before"
AssertEq GetLocale(), CLng(1031), "GetLocale returns what was set"
AssertEq CStr(1.5), "1,5", "German decimal comma"
AssertEq "x" & 2.25, "x2,25", "implicit conversion too"
AssertEq FormatNumber(1234.5), "1.234,50", "German grouping"
AssertEq FormatCurrency(1234.5), "1.234,50 " & ChrW(8364), "German currency"
AssertEq FormatPercent(0.125), "12,50%", "German percent"
AssertEq CDbl("2,5"), 2.5, "German text reads back"
AssertEq CStr(CCur(3.25)), "3,25", "Currency"
AssertEq CStr(#12/31/2020 13:45:00#), "31.12.2020 13:45:00", "German date and time"
AssertEq FormatDateTime(#1/2/2003#, vbShortDate), "02.01.2003", "German short date"
AssertEq Month(CDate("1.2.2003")), 2, "German dates read day first"
AssertEq Month(#1/2/2003#), 1, "date literals stay month first"
AssertEq FormatDateTime(#12/31/2020#, vbLongDate), "Donnerstag, 31. Dezember 2020", "German long date"
AssertEq MonthName(3) & " " & MonthName(3, True) & " " & WeekdayName(1, True), "M" & ChrW(228) & "rz M" & ChrW(228) & "r So", _
    "German month and weekday names"

SetLocale 1040
AssertEq FormatCurrency(1234.5), ChrW(8364) & " 1.234,50", "Italian currency"
AssertEq CStr(#12/31/2020 1:45:00 PM#), "31/12/2020 13:45:00", "Italian date and time"
AssertEq CStr(0.5), "0,5", "Italian decimal comma"
AssertEq FormatDateTime(#12/31/2020#, vbLongDate), "gioved" & ChrW(236) & " 31 dicembre 2020", "Italian long date"

SetLocale "en-us"
AssertEq GetLocale(), CLng(1033), "SetLocale takes a tag"
AssertEq FormatCurrency(1234.5), "$1,234.50", "back to dollars"
AssertEq CStr(#12/31/2020 1:45:00 PM#), "12/31/2020 1:45:00 PM", "back to month first and AM/PM"
AssertEq MonthName(12), "December", "back to English names"
SetLocale 1031
SetLocale
AssertEq GetLocale(), CLng(1033), "SetLocale without argument restores the default"
SetLocale 1031
SetLocale ""
AssertEq GetLocale(), CLng(1033), "SetLocale of empty text restores the default"
AssertError "SetLocale 12345", 5, "an unsupported locale"
AssertError "SetLocale Null", 94, "Null"
AssertEq GetLocale(), CLng(1033), "a refused locale changes nothing"
AssertSummary
