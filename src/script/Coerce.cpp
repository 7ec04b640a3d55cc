#include "script/Coerce.h"

#include "events/RuntimeError.h"
#include "script/ScriptObject.h"
#include "script/lib/DateText.h"
#include "script/lib/NumberText.h"
#include "script/lib/ScriptLocale.h"

#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>
#include <vector>

namespace tvk::script {

// ---- Text encoding ----

std::u16string utf8ToUtf16(std::string_view s) {
    // Every byte gives at most one UTF-16 unit (a 4-byte sequence gives two), so the text fits in as many
    // units as it has bytes; whole scripts go through here, so units are written without a length check.
    std::u16string out(s.size(), u'\0');
    size_t i = 0, j = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out[j++] = c;
            ++i;
            continue;
        }
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            len = 0; // stray continuation or invalid lead byte
        }
        if (len > 1) {
            bool ok = i + len <= s.size();
            for (size_t k = 1; ok && k < len; ++k) {
                auto cc = static_cast<unsigned char>(s[i + k]);
                if ((cc & 0xC0) != 0x80)
                    ok = false;
                else
                    cp = (cp << 6) | (cc & 0x3F);
            }
            static const uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
            if (!ok || cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                cp = 0xFFFD;
                len = 1;
            }
        }
        if (len == 0) {
            cp = 0xFFFD;
            len = 1;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out[j++] = static_cast<char16_t>(0xD800 + (cp >> 10));
            out[j++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out[j++] = static_cast<char16_t>(cp);
        }
    }
    out.resize(j);
    return out;
}

std::string utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

static char16_t foldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

bool equalsNoCase(std::u16string_view a, std::string_view ascii) {
    if (a.size() != ascii.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(static_cast<char16_t>(static_cast<unsigned char>(ascii[i])))) return false;
    return true;
}

std::u16string lowerAscii(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out)
        c = foldAscii(c);
    return out;
}

// ---- Numbers ----

double roundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    double r = std::nearbyint(v); // default rounding mode is to nearest, ties to even
    return r;
}

static bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

static std::u16string_view trimBlanks(std::u16string_view t) {
    size_t b = 0, e = t.size();
    while (b < e && isBlank(t[b]))
        ++b;
    while (e > b && isBlank(t[e - 1]))
        --e;
    return t.substr(b, e - b);
}

bool parseNumber(std::u16string_view t, double& out) {
    t = trimBlanks(t);
    if (t.empty()) return false;
    if (t.size() >= 2 && t[0] == u'&' && (t[1] == u'H' || t[1] == u'h' || t[1] == u'O' || t[1] == u'o')) {
        bool hex = t[1] == u'H' || t[1] == u'h';
        size_t i = 2;
        uint64_t v = 0;
        if (i >= t.size()) return false;
        for (; i < t.size(); ++i) {
            char16_t c = t[i];
            int d;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else if (hex && c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            else
                return false;
            if (!hex && d > 7) return false;
            v = v * (hex ? 16 : 8) + static_cast<uint64_t>(d);
            if (v > 0xFFFFFFFFull) return false;
        }
        // Up to four hex digits read as a 16-bit value, more as 32-bit: &HFFFF is -1.
        if (v <= 0xFFFF && (hex ? t.size() - 2 <= 4 : v <= 0xFFFF))
            out = static_cast<int16_t>(static_cast<uint16_t>(v));
        else
            out = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }
    std::string ascii;
    ascii.reserve(t.size());
    size_t i = 0;
    if (t[i] == u'+' || t[i] == u'-') ascii.push_back(static_cast<char>(t[i++]));
    size_t digits = 0;
    // The whole part may group its digits with the active locale's separator ("1,234,567" in English),
    // except where that is ".", which is read as the decimal point in every locale.
    const char16_t group = locale::active().group;
    while (i < t.size() &&
           ((t[i] >= u'0' && t[i] <= u'9') || (t[i] == group && group != u'.' && digits > 0 && i + 1 < t.size() &&
                                               t[i + 1] >= u'0' && t[i + 1] <= u'9'))) {
        if (t[i] != group) ascii.push_back(static_cast<char>(t[i])), ++digits;
        ++i;
    }
    // The active locale's decimal separator; "." is read as one in every locale.
    if (i < t.size() && (t[i] == u'.' || t[i] == locale::active().decimal)) {
        ascii.push_back('.');
        ++i;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
            ascii.push_back(static_cast<char>(t[i++])), ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E' || t[i] == u'd' || t[i] == u'D')) {
        ascii.push_back('e');
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ascii.push_back(static_cast<char>(t[i++]));
        size_t ed = 0;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
            ascii.push_back(static_cast<char>(t[i++])), ++ed;
        if (ed == 0) return false;
    }
    if (i != t.size()) return false;
    out = asciiToDouble(std::move(ascii));
    return std::isfinite(out);
}

Value defaultValue(const Value& v) {
    if (v.type() != VarType::Object) return v;
    // Held for the call: the member may drop the variable's reference to its own object.
    std::shared_ptr<ScriptObject> o = v.objShared();
    if (!o) throw RuntimeError(err::ObjectNotSet);
    Value r = o->invoke(ScriptObject::DefaultMember, {});
    if (r.type() == VarType::Object) throw RuntimeError(err::NoSuchMember);
    return r;
}

double toDouble(const Value& v) {
    switch (v.type()) {
    case VarType::Empty:
        return 0;
    case VarType::Null:
        throw RuntimeError(err::InvalidUseOfNull);
    case VarType::Boolean:
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
        return static_cast<double>(v.rawInt());
    case VarType::Currency:
        return static_cast<double>(v.rawInt()) / 10000.0;
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
        return v.rawDouble();
    case VarType::String: {
        double d;
        if (parseNumber(v.str(), d)) return d;
        throw RuntimeError(err::TypeMismatch); // only numeric text converts ("True" is a Boolean word, CBool's alone)
    }
    case VarType::Object:
        return toDouble(defaultValue(v));
    default:
        throw RuntimeError(err::TypeMismatch);
    }
}

bool toBool(const Value& v) {
    switch (v.type()) {
    case VarType::Boolean:
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Currency:
        return v.rawInt() != 0;
    case VarType::String: {
        if (equalsNoCase(v.str(), std::string_view("true"))) return true;
        if (equalsNoCase(v.str(), std::string_view("false"))) return false;
        return toDouble(v) != 0;
    }
    default:
        return toDouble(v) != 0;
    }
}

static double rounded(const Value& v) {
    switch (v.type()) {
    case VarType::Boolean:
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
        return static_cast<double>(v.rawInt());
    default:
        return roundHalfEven(toDouble(v));
    }
}

uint8_t toByte(const Value& v) {
    double d = rounded(v);
    if (!(d >= 0 && d <= 255)) throw RuntimeError(err::Overflow);
    return static_cast<uint8_t>(d);
}

int16_t toInteger(const Value& v) {
    double d = rounded(v);
    if (!(d >= -32768 && d <= 32767)) throw RuntimeError(err::Overflow);
    return static_cast<int16_t>(d);
}

int32_t toLong(const Value& v) {
    if (v.type() == VarType::Long || v.type() == VarType::Integer || v.type() == VarType::Boolean ||
        v.type() == VarType::Byte)
        return static_cast<int32_t>(v.rawInt());
    double d = rounded(v);
    if (!(d >= -2147483648.0 && d <= 2147483647.0)) throw RuntimeError(err::Overflow);
    return static_cast<int32_t>(d);
}

// Plain decimal text read exactly to ten-thousandths (half to even), so CCur("922337203685477.5807")
// keeps every digit; false for other forms, which go through Double.
static bool parseCurrencyText(std::u16string_view t, int64_t& out) {
    t = trimBlanks(t);
    bool neg = false;
    size_t i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) neg = t[i++] == u'-';
    __int128 v = 0;
    int decimals = 0;
    bool point = false, any = false, roundUp = false, sticky = false;
    int firstDropped = -1;
    for (; i < t.size(); ++i) {
        char16_t c = t[i];
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9') return false;
        any = true;
        int d = c - u'0';
        if (point && decimals == 4) {
            if (firstDropped < 0)
                firstDropped = d;
            else if (d)
                sticky = true;
            continue;
        }
        v = v * 10 + d;
        if (point) ++decimals;
        if (v > (static_cast<__int128>(1) << 80)) return false;
    }
    if (!any) return false;
    for (; decimals < 4; ++decimals)
        v *= 10;
    if (firstDropped > 5 || (firstDropped == 5 && (sticky || (v & 1)))) roundUp = true;
    if (roundUp) ++v;
    if (neg) v = -v;
    if (v > INT64_MAX || v < INT64_MIN) throw RuntimeError(err::Overflow);
    out = static_cast<int64_t>(v);
    return true;
}

int64_t toCurrencyScaled(const Value& v) {
    if (v.type() == VarType::Currency) return v.rawInt();
    if (v.type() == VarType::Integer || v.type() == VarType::Long || v.type() == VarType::Byte ||
        v.type() == VarType::Boolean)
        return v.rawInt() * 10000;
    if (v.type() == VarType::String) {
        int64_t exact;
        if (parseCurrencyText(v.str(), exact)) return exact;
    }
    double d = roundHalfEven(toDouble(v) * 10000.0);
    if (!(d >= -9.2233720368547758e18 && d < 9.2233720368547758e18)) throw RuntimeError(err::Overflow);
    return static_cast<int64_t>(d);
}

// ---- Dates: days since 1899-12-30, time of day as the fraction's magnitude ----

static constexpr double MinDate = -657434.0, MaxDate = 2958466.0;

std::u16string formatDate(double serial) {
    if (!(serial >= MinDate && serial < MaxDate)) throw RuntimeError(err::InvalidCall);
    return datetext::general(serial);
}

double toDate(const Value& v) {
    if (v.type() == VarType::String) {
        double d;
        std::time_t now = std::time(nullptr);
        std::tm parts{};
        localtime_r(&now, &parts);
        if (auto parsed = datetext::parse(v.str(), parts.tm_year + 1900)) return *parsed;
        if (parseNumber(v.str(), d)) return d;
        throw RuntimeError(err::TypeMismatch);
    }
    double d = toDouble(v);
    if (!(d >= MinDate && d < MaxDate)) throw RuntimeError(err::Overflow);
    return d;
}

// ---- Text ----

namespace {

// The decimal point of the process locale: a desktop session sets the user's, which may be a comma.
std::string_view localeRadix() {
    const char* radix = std::localeconv()->decimal_point;
    return radix && *radix ? std::string_view(radix) : std::string_view(".");
}

} // namespace

double asciiToDouble(std::string ascii) {
    const std::string_view radix = localeRadix();
    if (radix != ".")
        if (const size_t at = ascii.find('.'); at != std::string::npos) ascii.replace(at, 1, radix);
    return std::strtod(ascii.c_str(), nullptr);
}

std::u16string formatDouble(double d, int digits) {
    if (std::isnan(d)) return u"NaN";
    if (std::isinf(d)) return d > 0 ? u"Infinity" : u"-Infinity";
    if (d == 0) return u"0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", digits, d);
    std::string s = buf;
    // The C library writes the locale's decimal point; the language always prints '.'.
    const std::string_view radix = localeRadix();
    if (radix != ".")
        if (const size_t at = s.find(radix); at != std::string::npos) s.replace(at, radix.size(), ".");
    // %G pads the exponent to two digits and keeps its sign, as the language prints it ("1E+20", "1E-05").
    return utf8ToUtf16(s);
}

std::u16string toString(const Value& v) {
    switch (v.type()) {
    case VarType::Empty:
        return {};
    case VarType::Null:
        throw RuntimeError(err::InvalidUseOfNull);
    case VarType::Boolean:
        return v.rawInt() ? u"True" : u"False";
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
        return utf8ToUtf16(std::to_string(v.rawInt()));
    case VarType::Single:
        return numbertext::fromSingle(static_cast<float>(v.rawDouble()));
    case VarType::Double:
        return numbertext::fromDouble(v.rawDouble());
    case VarType::Currency:
        return numbertext::fromCurrency(v.rawInt());
    case VarType::Date:
        return datetext::general(v.rawDouble());
    case VarType::String:
        return v.str();
    case VarType::Object:
        return toString(defaultValue(v));
    default:
        throw RuntimeError(err::TypeMismatch);
    }
}

std::string toUtf8(const Value& v) {
    return utf16ToUtf8(toString(v));
}

// ---- Operators ----

Value notOp(const Value& v) {
    switch (v.type()) {
    case VarType::Null:
        return Value::null();
    case VarType::Boolean:
        return Value::boolean(v.rawInt() == 0);
    case VarType::Empty:
        return Value::integer(-1);
    case VarType::Byte:
        return Value::byte(static_cast<uint8_t>(~v.rawInt()));
    case VarType::Integer:
        return Value::integer(static_cast<int16_t>(~v.rawInt()));
    case VarType::Long:
        return Value::lng(~static_cast<int32_t>(v.rawInt()));
    case VarType::Object:
        return notOp(defaultValue(v));
    case VarType::String:
        // The Boolean words stay Booleans (a filter may return the text "True").
        if (equalsNoCase(v.str(), std::string_view("true"))) return Value::boolean(false);
        if (equalsNoCase(v.str(), std::string_view("false"))) return Value::boolean(true);
        return Value::lng(~toLong(v));
    default:
        return Value::lng(~toLong(v));
    }
}

static int sign(double d) {
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}

namespace {
// The year a date text without one stands for.
int localYear() {
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&t, &local);
    return local.tm_year + 1900;
}
} // namespace

int compareValues(const Value& a0, const Value& b0, bool textCompare) {
    Value aHold, bHold;
    if (a0.isObject()) aHold = defaultValue(a0);
    if (b0.isObject()) bHold = defaultValue(b0);
    const Value& x = a0.isObject() ? aHold : a0;
    const Value& y = b0.isObject() ? bHold : b0;
    if (x.isNull() || y.isNull()) return 2;
    if (x.isArray() || y.isArray()) throw RuntimeError(err::TypeMismatch);
    bool xs = x.isString(), ys = y.isString();
    if (xs && ys) {
        int c = textCompare ? lowerAscii(x.str()).compare(lowerAscii(y.str())) : x.str().compare(y.str());
        // A text the byte functions left with an odd byte holds one byte more than its whole units.
        if (c == 0) c = x.oddByte() - y.oddByte();
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    // Empty is "" against a string and 0 against a number.
    if (xs && y.isEmpty()) return x.str().empty() && x.oddByte() < 0 ? 0 : 1;
    if (ys && x.isEmpty()) return y.str().empty() && y.oddByte() < 0 ? 0 : -1;
    // A date against text that reads as a date compares as two dates.
    if ((xs && y.type() == VarType::Date) || (ys && x.type() == VarType::Date)) {
        if (std::optional<double> d = datetext::parse(xs ? x.str() : y.str(), localYear())) {
            double l = xs ? *d : x.rawDouble(), r = xs ? y.rawDouble() : *d;
            return l < r ? -1 : (l > r ? 1 : 0);
        }
    }
    // A number is less than any string.
    if (xs) return 1;
    if (ys) return -1;
    if (x.type() != VarType::Single && x.type() != VarType::Double && x.type() != VarType::Date &&
        x.type() != VarType::Currency && y.type() != VarType::Single && y.type() != VarType::Double &&
        y.type() != VarType::Date && y.type() != VarType::Currency) {
        int64_t l = x.rawInt(), r = y.rawInt();
        return l < r ? -1 : (l > r ? 1 : 0);
    }
    return sign(toDouble(x) - toDouble(y));
}

} // namespace tvk::script
