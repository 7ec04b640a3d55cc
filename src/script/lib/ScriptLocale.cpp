#include "script/lib/ScriptLocale.h"

#include "script/Coerce.h"

namespace tvk::script::locale {

namespace {
// The locales of the shipped languages.
const Format formats[] = {
    {1033, u"en-us", u'.', u',', u"$", false, false, u'/', false},
    {1031, u"de-de", u',', u'.', u"\u20AC", true, true, u'.', true},
    {1040, u"it-it", u',', u'.', u"\u20AC", false, true, u'/', true},
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
