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
' Dates as text name their month in English or in the active locale.
Dim march
march = "M" & ChrW(228) & "rz"
SetLocale 1031
AssertEq DateValue("3. " & march & " 2024"), #3/3/2024#, "a German month name"
AssertEq CDate("1 Januar 2020"), #1/1/2020#, "CDate reads German names"
AssertEq CDate("15. Okt. 2021 13:30"), #10/15/2021 1:30:00 PM#, "an abbreviated German name with a time"
AssertEq CDate("3 M" & ChrW(196) & "RZ 2024"), #3/3/2024#, "letter case is ignored beyond ASCII"
AssertEq CDate("Montag, 4. " & march & " 2024"), #3/4/2024#, "a German weekday name"
AssertEq CDate("5 Oct 2021"), #10/5/2021#, "English names stay readable"
AssertTrue IsDate("5 Okt 2021"), "IsDate knows German names"
AssertTrue Not IsDate("5 Oktobr 2021"), "a misspelt name is no date"
SetLocale 1040
AssertEq DateValue("3 marzo 2024"), #3/3/2024#, "an Italian month name"
AssertEq CDate("luned" & ChrW(236) & " 5 febbraio 2024"), #2/5/2024#, "an Italian weekday name"
AssertEq CDate("12 dic 2023"), #12/12/2023#, "an abbreviated Italian name"
AssertTrue Not IsDate("3 " & march & " 2024"), "German names are not Italian"
SetLocale 1033
AssertTrue Not IsDate("1 Januar 2020"), "nor English"
AssertEq CDate("January 1, 2020"), #1/1/2020#, "English names in English"
AssertSummary
