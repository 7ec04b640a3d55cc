// String family: Len, Left, Mid, InStr, Replace, Split, Join, Asc, Chr, Escape and the rest.
#include "script/ByteText.h"
#include "script/MemoryMeter.h"
#include "script/lib/LibArgs.h"
#include "script/lib/LibraryFamilies.h"
#include "script/lib/TextFold.h"

#include <algorithm>

namespace tvk::script::lib {
namespace {

using std::u16string;
using std::u16string_view;

Value text(u16string s) {
    return Value::string(std::move(s));
}

// Length/position arguments: whole numbers; negative lengths are invalid calls.
int32_t count(const Value& v) {
    const int32_t n = toLong(v);
    if (n < 0) throw RuntimeError(err::InvalidCall);
    return n;
}

// Length of a string Space or String may build: beyond it they raise "Out of string space" rather than
// trying to allocate gigabytes.
constexpr int32_t MaxBuiltLength = 1 << 28;

// Long work looks at the clock before and after its large steps (copies, fills): a loop calling it
// ticks once per call, far too seldom when each call takes milliseconds.
void checkTimeIfLarge(CallContext& ctx, size_t size) {
    if (size >= 65536) ctx.checkTime();
}

int32_t builtLength(const Value& v) {
    const int32_t n = count(v);
    if (n > MaxBuiltLength) throw RuntimeError(err::OutOfStringSpace);
    MemoryMeter::require(static_cast<size_t>(n) * sizeof(char16_t));
    return n;
}

int32_t position(const Value& v) {
    const int32_t n = toLong(v);
    if (n < 1) throw RuntimeError(err::InvalidCall);
    return n;
}

// Position of `needle` in `hay` at or after `from` (0-based), or npos.
size_t find(u16string_view hay, u16string_view needle, size_t from, bool textCompare) {
    if (!textCompare) return hay.find(needle, from);
    const u16string h = textfold::lower(hay), n = textfold::lower(needle);
    return u16string_view(h).find(n, from);
}

size_t rfind(u16string_view hay, u16string_view needle, size_t from, bool textCompare) {
    if (!textCompare) return hay.rfind(needle, from);
    const u16string h = textfold::lower(hay), n = textfold::lower(needle);
    return u16string_view(h).rfind(n, from);
}

Value len(CallContext&, std::span<Value> a) {
    const Value v = plain(a[0]);
    if (v.isNull()) return Value::null();
    return Value::lng(static_cast<int32_t>(TextArg(v).size()));
}

Value lenB(CallContext&, std::span<Value> a) {
    const Value v = plain(a[0]);
    if (v.isNull()) return Value::null();
    return Value::lng(static_cast<int32_t>(TextArg(v).size() * 2 + (v.oddByte() >= 0 ? 1 : 0)));
}

Value left(CallContext&, std::span<Value> a) {
    if (anyNull(a, 1)) return Value::null();
    const TextArg s(a[0]);
    return text(u16string(s.view().substr(0, static_cast<size_t>(count(a[1])))));
}

Value right(CallContext&, std::span<Value> a) {
    if (anyNull(a, 1)) return Value::null();
    const TextArg s(a[0]);
    const size_t n = std::min<size_t>(s.size(), static_cast<size_t>(count(a[1])));
    return text(u16string(s.view().substr(s.size() - n)));
}

Value mid(CallContext&, std::span<Value> a) {
    if (anyNull(a, 1)) return Value::null();
    const TextArg s(a[0]);
    const size_t start = static_cast<size_t>(position(a[1])) - 1;
    if (start >= s.size()) {
        if (has(a, 2)) count(a[2]);
        return text({});
    }
    const size_t n = has(a, 2) ? static_cast<size_t>(count(a[2])) : s.size();
    return text(u16string(s.view().substr(start, n)));
}

// The arguments of InStr and InStrB: ([start,] string1, string2[, compare]). A Null start raises 94,
// a Null string makes the result Null.
struct SearchArgs {
    int32_t start = 1;
    bool textCompare = false;
    Value hay, needle; // plain values
    bool anyNull() const { return hay.isNull() || needle.isNull(); }
};

SearchArgs searchArgs(std::span<Value> a) {
    SearchArgs r;
    size_t first = 0;
    if (a.size() >= 3) {
        if (plain(a[0]).isNull()) throw RuntimeError(err::InvalidUseOfNull);
        r.start = position(a[0]);
        first = 1;
    } else if (a.size() < 2) {
        throw RuntimeError(err::InvalidCall);
    }
    r.textCompare = textCompareArg(a, first + 2);
    r.hay = plain(a[first]);
    r.needle = plain(a[first + 1]);
    return r;
}

Value inStr(CallContext&, std::span<Value> a) {
    const SearchArgs args = searchArgs(a);
    if (args.anyNull()) return Value::null();
    const TextArg hay(args.hay);
    const TextArg needle(args.needle);
    if (hay.empty() || static_cast<size_t>(args.start) > hay.size()) return Value::lng(0);
    if (needle.empty()) return Value::lng(args.start);
    const size_t at = find(hay, needle, static_cast<size_t>(args.start) - 1, args.textCompare);
    return Value::lng(at == u16string::npos ? 0 : static_cast<int32_t>(at) + 1);
}

// InStrRev(string1, string2[, start[, compare]]): the match lies wholly within the first `start` characters.
Value inStrRev(CallContext&, std::span<Value> a) {
    const int32_t start = optLong(a, 2, -1);
    if (start == 0 || start < -1) throw RuntimeError(err::InvalidCall);
    const bool textCompare = textCompareArg(a, 3);
    if (anyNull(a, 2)) return Value::null();
    const TextArg hay(a[0]);
    const TextArg needle(a[1]);
    const size_t limit = start == -1 ? hay.size() : static_cast<size_t>(start);
    if (hay.empty() || limit > hay.size()) return Value::lng(0);
    if (needle.empty()) return Value::lng(static_cast<int32_t>(limit));
    if (needle.size() > limit) return Value::lng(0);
    const size_t at = rfind(hay, needle, limit - needle.size(), textCompare);
    return Value::lng(at == u16string::npos ? 0 : static_cast<int32_t>(at) + 1);
}

// Replace(expression, find, replacewith[, start[, count[, compare]]]): the result starts at `start`.
Value replace(CallContext& ctx, std::span<Value> a) {
    if (anyNull(a, 3)) throw RuntimeError(err::InvalidUseOfNull);
    const u16string s = textOf(a[0]);
    checkTimeIfLarge(ctx, s.size());
    const u16string what = textOf(a[1]);
    const u16string with = textOf(a[2]);
    const size_t start = has(a, 3) ? static_cast<size_t>(position(a[3])) : 1;
    const int32_t limit = optLong(a, 4, -1);
    if (limit < -1) throw RuntimeError(err::InvalidCall);
    const bool textCompare = textCompareArg(a, 5);
    if (start > s.size()) return text({});
    const u16string_view rest = u16string_view(s).substr(start - 1); // no copy of a long text
    if (what.empty() || limit == 0) return text(u16string(rest));
    const u16string folded = textCompare ? textfold::lower(rest) : u16string();
    const u16string foldedWhat = textCompare ? textfold::lower(what) : u16string();
    const u16string_view hay = textCompare ? u16string_view(folded) : u16string_view(rest);
    const u16string_view needle = textCompare ? u16string_view(foldedWhat) : u16string_view(what);
    u16string out;
    size_t pos = 0;
    int32_t done = 0;
    while (limit == -1 || done < limit) {
        const size_t at = hay.find(needle, pos);
        if (at == u16string::npos) break;
        out.append(rest.substr(pos, at - pos));
        out += with;
        pos = at + what.size();
        if (++done % 4096 == 0) {
            ctx.checkTime();
            MemoryMeter::require(out.capacity() * sizeof(char16_t));
        }
    }
    out.append(rest.substr(pos));
    checkTimeIfLarge(ctx, out.size());
    return text(std::move(out));
}

// Split(expression[, delimiter[, count[, compare]]]).
Value split(CallContext& ctx, std::span<Value> a) {
    if (anyNull(a, 2)) throw RuntimeError(err::InvalidUseOfNull);
    const u16string s = textOf(a[0]);
    checkTimeIfLarge(ctx, s.size());
    const u16string delim = has(a, 1) ? textOf(a[1]) : u16string(u" ");
    const int32_t limit = optLong(a, 2, -1);
    if (limit < -1) throw RuntimeError(err::InvalidCall);
    const bool textCompare = textCompareArg(a, 3);
    std::vector<Value> parts;
    if (s.empty() || limit == 0) return Value::arrayOf(std::move(parts));
    if (delim.empty()) {
        parts.push_back(text(s));
        return Value::arrayOf(std::move(parts));
    }
    // Case folding maps one unit to one unit, so positions in the folded text hold for the original.
    const u16string folded = textCompare ? textfold::lower(s) : u16string();
    const u16string foldedDelim = textCompare ? textfold::lower(delim) : u16string();
    const u16string_view hay = textCompare ? u16string_view(folded) : u16string_view(s);
    const u16string_view needle = textCompare ? u16string_view(foldedDelim) : u16string_view(delim);
    size_t pos = 0;
    while (limit == -1 || static_cast<int32_t>(parts.size()) < limit - 1) {
        const size_t at = hay.find(needle, pos);
        if (at == u16string::npos) break;
        parts.push_back(text(s.substr(pos, at - pos)));
        pos = at + delim.size();
        if (parts.size() % 4096 == 0) ctx.checkTime();
    }
    parts.push_back(text(s.substr(pos)));
    checkTimeIfLarge(ctx, s.size());
    return Value::arrayOf(std::move(parts));
}

const ArrayRep& oneDimensional(const Value& v) {
    const Value p = plain(v);
    if (!p.isArray()) throw RuntimeError(err::TypeMismatch);
    const ArrayRep& arr = v.isArray() ? v.arr() : p.arr();
    if (arr.counts.size() != 1) throw RuntimeError(err::SubscriptOutOfRange);
    return arr;
}

Value join(CallContext& ctx, std::span<Value> a) {
    if (!a[0].isArray()) throw RuntimeError(err::TypeMismatch);
    const ArrayRep& arr = oneDimensional(a[0]);
    const u16string delim = has(a, 1) ? textOf(a[1]) : u16string(u" ");
    checkTimeIfLarge(ctx, arr.data.size() * 16);
    u16string out;
    for (size_t i = 0; i < arr.data.size(); ++i) {
        if (i) out += delim;
        out += textOf(arr.data[i]);
        if (i % 1024 == 1023) {
            ctx.checkTime();
            MemoryMeter::require(out.capacity() * sizeof(char16_t));
        }
    }
    checkTimeIfLarge(ctx, out.size());
    return text(std::move(out));
}

// Filter(strings, value[, include[, compare]]).
Value filter(CallContext& ctx, std::span<Value> a) {
    if (!a[0].isArray()) throw RuntimeError(err::TypeMismatch);
    const ArrayRep& arr = oneDimensional(a[0]);
    const u16string value = textOf(a[1]);
    const bool include = optBool(a, 2, true);
    const bool textCompare = textCompareArg(a, 3);
    std::vector<Value> kept;
    for (const Value& item : arr.data) {
        if ((&item - arr.data.data()) % 4096 == 4095) ctx.checkTime();
        u16string s = textOf(item);
        if ((find(s, value, 0, textCompare) != u16string::npos) == include) kept.push_back(text(std::move(s)));
    }
    return Value::arrayOf(std::move(kept));
}

template <u16string (*Transform)(u16string_view)> Value mapText(CallContext&, std::span<Value> a) {
    if (anyNull(a, 1)) return Value::null();
    return text(Transform(textOf(a[0])));
}

u16string trimLeft(u16string_view s) {
    const size_t b = s.find_first_not_of(u' ');
    return b == u16string_view::npos ? u16string() : u16string(s.substr(b));
}
u16string trimRight(u16string_view s) {
    const size_t e = s.find_last_not_of(u' ');
    return e == u16string_view::npos ? u16string() : u16string(s.substr(0, e + 1));
}
u16string trimBoth(u16string_view s) {
    return trimLeft(trimRight(s));
}
u16string reverse(u16string_view s) {
    return u16string(s.rbegin(), s.rend());
}

Value space(CallContext& ctx, std::span<Value> a) {
    const int32_t n = builtLength(a[0]);
    checkTimeIfLarge(ctx, static_cast<size_t>(n));
    return text(u16string(static_cast<size_t>(n), u' '));
}

// The characters 0x80..0x9F of the Western Windows code page, which Chr and Asc translate.
constexpr char16_t Cp1252High[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

char16_t fromCodePage(int code) {
    return code >= 0x80 && code < 0xA0 ? Cp1252High[code - 0x80] : static_cast<char16_t>(code);
}

int toCodePage(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < 32; ++i)
        if (Cp1252High[i] == c) return 0x80 + i;
    return '?';
}

Value string(CallContext& ctx, std::span<Value> a) {
    if (anyNull(a, 2)) return Value::null();
    const int32_t n = builtLength(a[0]);
    checkTimeIfLarge(ctx, static_cast<size_t>(n));
    const Value c = plain(a[1]);
    char16_t ch;
    if (c.isString()) {
        if (c.str().empty()) throw RuntimeError(err::InvalidCall);
        ch = c.str()[0];
    } else {
        ch = fromCodePage(toLong(c) & 0xFF);
    }
    return text(u16string(static_cast<size_t>(n), ch));
}

Value strComp(CallContext&, std::span<Value> a) {
    const bool textCompare = textCompareArg(a, 2);
    if (anyNull(a, 2)) return Value::null();
    u16string x = textOf(a[0]), y = textOf(a[1]);
    if (textCompare) {
        x = textfold::lower(x);
        y = textfold::lower(y);
    }
    int c = x.compare(y);
    if (c == 0) c = plain(a[0]).oddByte() - plain(a[1]).oddByte(); // an odd byte is one byte more
    return Value::integer(static_cast<int16_t>(c < 0 ? -1 : c > 0 ? 1 : 0));
}

char16_t firstChar(const Value& v) {
    if (plain(v).isNull()) throw RuntimeError(err::InvalidUseOfNull);
    const TextArg s(v);
    if (s.empty()) throw RuntimeError(err::InvalidCall);
    return s.view()[0];
}

Value asc(CallContext&, std::span<Value> a) {
    return Value::integer(static_cast<int16_t>(toCodePage(firstChar(a[0]))));
}
Value ascW(CallContext&, std::span<Value> a) {
    return Value::integer(static_cast<int16_t>(firstChar(a[0])));
}
Value ascB(CallContext&, std::span<Value> a) {
    const Value v = plain(a[0]);
    if (v.isString() && v.str().empty() && v.oddByte() >= 0) return Value::byte(static_cast<uint8_t>(v.oddByte()));
    return Value::byte(static_cast<uint8_t>(firstChar(a[0]) & 0xFF));
}

Value chr(CallContext&, std::span<Value> a) {
    const int32_t code = toLong(a[0]);
    if (code < 0 || code > 255) throw RuntimeError(err::InvalidCall);
    return text(u16string(1, fromCodePage(code)));
}

Value chrW(CallContext&, std::span<Value> a) {
    const int32_t code = toLong(a[0]);
    if (code < -32768 || code > 65535) throw RuntimeError(err::InvalidCall);
    return text(u16string(1, static_cast<char16_t>(code & 0xFFFF)));
}

// The byte functions see a text as the bytes it is held in (two per unit, low byte first): their
// counts and positions are in bytes, and a cut between the two bytes of a unit gives a text of an
// odd number of bytes, which joins byte-wise with the next one (ChrB(65) & ChrB(0) is "A").
Value leftB(CallContext&, std::span<Value> a) {
    if (anyNull(a, 1)) return Value::null();
    const std::string bytes = bytetext::bytesOf(plain(a[0]));
    const size_t n = static_cast<size_t>(count(a[1]));
    return bytetext::fromBytes(std::string_view(bytes).substr(0, n));
}

Value rightB(CallContext&, std::span<Value> a) {
    if (anyNull(a, 1)) return Value::null();
    const std::string bytes = bytetext::bytesOf(plain(a[0]));
    const size_t n = std::min<size_t>(bytes.size(), static_cast<size_t>(count(a[1])));
    return bytetext::fromBytes(std::string_view(bytes).substr(bytes.size() - n));
}

Value midB(CallContext&, std::span<Value> a) {
    if (anyNull(a, 1)) return Value::null();
    const std::string bytes = bytetext::bytesOf(plain(a[0]));
    const size_t start = static_cast<size_t>(position(a[1])) - 1;
    const size_t n = has(a, 2) ? static_cast<size_t>(count(a[2])) : bytes.size();
    if (start >= bytes.size()) return text({});
    return bytetext::fromBytes(std::string_view(bytes).substr(start, n));
}

// InStrB([start,] string1, string2[, compare]): the byte position of the first match at or after the
// byte `start`.
Value inStrB(CallContext&, std::span<Value> a) {
    const SearchArgs args = searchArgs(a);
    if (args.anyNull()) return Value::null();
    auto bytesFor = [&](const Value& v) {
        if (!args.textCompare || !v.isString()) return bytetext::bytesOf(v);
        return bytetext::bytesOf(textfold::lower(v.str()), v.oddByte());
    };
    const std::string hay = bytesFor(args.hay);
    const std::string needle = bytesFor(args.needle);
    if (hay.empty() || static_cast<size_t>(args.start) > hay.size()) return Value::lng(0);
    if (needle.empty()) return Value::lng(args.start);
    const size_t at = hay.find(needle, static_cast<size_t>(args.start) - 1);
    return Value::lng(at == std::string::npos ? 0 : static_cast<int32_t>(at) + 1);
}

// ChrB(code): a text of that one byte.
Value chrB(CallContext&, std::span<Value> a) {
    const int32_t code = toLong(a[0]);
    if (code < 0 || code > 255) throw RuntimeError(err::InvalidCall);
    return Value::oddByteString(u16string(), static_cast<uint8_t>(code));
}

constexpr char16_t HexDigits[] = u"0123456789ABCDEF";

Value escape(CallContext&, std::span<Value> a) {
    const u16string s = textOf(a[0]); // Null raises 94
    u16string out;
    for (char16_t c : s) {
        const bool plainChar = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                               u16string_view(u"@*_+-./").find(c) != u16string_view::npos;
        if (plainChar) {
            out.push_back(c);
        } else if (c < 256) {
            out += {u'%', HexDigits[c >> 4], HexDigits[c & 15]};
        } else {
            out +=
                {u'%', u'u', HexDigits[c >> 12], HexDigits[(c >> 8) & 15], HexDigits[(c >> 4) & 15], HexDigits[c & 15]};
        }
    }
    return text(std::move(out));
}

int hexValue(char16_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `n` hex digits at `at`, or -1.
int hexRun(u16string_view s, size_t at, size_t n) {
    if (at + n > s.size()) return -1;
    int v = 0;
    for (size_t i = 0; i < n; ++i) {
        const int d = hexValue(s[at + i]);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

Value unescape(CallContext&, std::span<Value> a) {
    if (anyNull(a, 1)) return Value::null();
    const u16string s = textOf(a[0]);
    u16string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%') {
            if (i + 1 < s.size() && s[i + 1] == 'u') {
                const int v = hexRun(s, i + 2, 4);
                if (v >= 0) {
                    out.push_back(static_cast<char16_t>(v));
                    i += 5;
                    continue;
                }
            }
            const int v = hexRun(s, i + 1, 2);
            if (v >= 0) {
                out.push_back(static_cast<char16_t>(v));
                i += 2;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return text(std::move(out));
}

} // namespace

void registerStringFunctions(BuiltinTable& t) {
    t.add("Len", &len, 1, 1);
    t.add("LenB", &lenB, 1, 1);
    t.add("Left", &left, 2, 2);
    t.add("Right", &right, 2, 2);
    t.add("Mid", &mid, 2, 3);
    t.add("InStr", &inStr, 2, 4);
    t.add("InStrRev", &inStrRev, 2, 4);
    t.add("Replace", &replace, 3, 6);
    t.add("Split", &split, 1, 4);
    t.add("Join", &join, 1, 2);
    t.add("Filter", &filter, 2, 4);
    t.add("LCase", &mapText<textfold::lower>, 1, 1);
    t.add("UCase", &mapText<textfold::upper>, 1, 1);
    t.add("LTrim", &mapText<trimLeft>, 1, 1);
    t.add("RTrim", &mapText<trimRight>, 1, 1);
    t.add("Trim", &mapText<trimBoth>, 1, 1);
    t.add("StrReverse", &mapText<reverse>, 1, 1);
    t.add("Space", &space, 1, 1);
    t.add("String", &string, 2, 2);
    t.add("StrComp", &strComp, 2, 3);
    t.add("Asc", &asc, 1, 1);
    t.add("AscW", &ascW, 1, 1);
    t.add("AscB", &ascB, 1, 1);
    t.add("LeftB", &leftB, 2, 2);
    t.add("RightB", &rightB, 2, 2);
    t.add("MidB", &midB, 2, 3);
    t.add("InStrB", &inStrB, 2, 4);
    t.add("Chr", &chr, 1, 1);
    t.add("ChrW", &chrW, 1, 1);
    t.add("ChrB", &chrB, 1, 1);
    t.add("Escape", &escape, 1, 1);
    t.add("Unescape", &unescape, 1, 1);

    t.addConstant("vbBinaryCompare", Value::integer(0));
    t.addConstant("vbTextCompare", Value::integer(1));
    t.addConstant("vbDatabaseCompare", Value::integer(2));
    t.addConstant("vbCr", Value::string(u"\r"));
    t.addConstant("vbLf", Value::string(u"\n"));
    t.addConstant("vbCrLf", Value::string(u"\r\n"));
    t.addConstant("vbNewLine", Value::string(u"\r\n"));
    t.addConstant("vbTab", Value::string(u"\t"));
    t.addConstant("vbFormFeed", Value::string(u"\f"));
    t.addConstant("vbVerticalTab", Value::string(u"\v"));
    t.addConstant("vbNullChar", Value::string(u16string(1, u'\0')));
    t.addConstant("vbNullString", Value::string(u""));
}

} // namespace tvk::script::lib
