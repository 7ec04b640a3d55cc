#include "script/lib/ScriptLocale.h"

#include "script/Coerce.h"

namespace tvk::script::locale {

namespace {
const char16_t* const germanMonths[] = {u"Januar", u"Februar", u"M\u00E4rz", u"April",   u"Mai",      u"Juni",
                                        u"Juli",   u"August",  u"September", u"Oktober", u"November", u"Dezember",
                                        u"Jan",    u"Feb",     u"M\u00E4r",  u"Apr",     u"Mai",      u"Jun",
                                        u"Jul",    u"Aug",     u"Sep",       u"Okt",     u"Nov",      u"Dez"};
const char16_t* const germanWeekdays[] = {u"Sonntag", u"Montag",  u"Dienstag", u"Mittwoch", u"Donnerstag",
                                          u"Freitag", u"Samstag", u"So",       u"Mo",       u"Di",
                                          u"Mi",      u"Do",      u"Fr",       u"Sa"};
const char16_t* const italianMonths[] = {u"gennaio", u"febbraio", u"marzo",     u"aprile",  u"maggio",   u"giugno",
                                         u"luglio",  u"agosto",   u"settembre", u"ottobre", u"novembre", u"dicembre",
                                         u"gen",     u"feb",      u"mar",       u"apr",     u"mag",      u"giu",
                                         u"lug",     u"ago",      u"set",       u"ott",     u"nov",      u"dic"};
const char16_t* const italianWeekdays[] = {u"domenica",     u"luned\u00EC",  u"marted\u00EC", u"mercoled\u00EC",
                                           u"gioved\u00EC", u"venerd\u00EC", u"sabato",       u"dom",
                                           u"lun",          u"mar",          u"mer",          u"gio",
                                           u"ven",          u"sab"};

// The locales of the shipped languages.
const Format formats[] = {
    {1033, u"en-us", u'.', u',', u"$", false, false, u'/', false, nullptr, nullptr},
    {1031, u"de-de", u',', u'.', u"\u20AC", true, true, u'.', true, germanMonths, germanWeekdays},
    {1040, u"it-it", u',', u'.', u"\u20AC", false, true, u'/', true, italianMonths, italianWeekdays},
};

thread_local const Format* t_active = &formats[0];
} // namespace

const Format* find(int32_t id) {
    for (const auto& f : formats)
        if (f.id == id) return &f;
    return nullptr;
}

const Format* find(std::u16string_view tag) {
    for (const auto& f : formats)
        if (equalsNoCase(tag, std::u16string_view(f.tag))) return &f;
    return nullptr;
}

const Format& active() {
    return *t_active;
}

void setActive(const Format& format) {
    t_active = &format;
}

} // namespace tvk::script::locale
