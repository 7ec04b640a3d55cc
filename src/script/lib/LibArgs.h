#pragma once

#include "events/RuntimeError.h"
#include "script/Builtins.h"
#include "script/Coerce.h"

#include <span>
#include <string>

// Small argument helpers shared by the library families (internal to src/script/lib).
namespace tvk::script::lib {

inline bool has(std::span<Value> args, size_t i) {
    return i < args.size();
}

// The value behind an object's default member, so a family can inspect the subtype.
inline Value plain(const Value& v) {
    return v.isObject() ? defaultValue(v) : v;
}

// CStr of a value: numbers and dates as the language prints them, independent of the process locale.
// Null raises 94.
std::u16string textOf(const Value& v);
// Text of an argument passed to a library object's method or property, converted the way object
// calls convert it: Booleans become "-1" and "0"; everything else as textOf.
std::u16string objectArgText(const Value& v);

// Text of an argument without copying it when it already is a String (Mid and Len run in tight loops).
class TextArg {
public:
    explicit TextArg(const Value& v) {
        if (v.isString()) {
            m_view = v.str();
        } else {
            m_owned = textOf(v);
            m_view = m_owned;
        }
    }
    TextArg(const TextArg&) = delete;
    TextArg& operator=(const TextArg&) = delete;

    std::u16string_view view() const { return m_view; }
    operator std::u16string_view() const { return m_view; }
    size_t size() const { return m_view.size(); }
    bool empty() const { return m_view.empty(); }

private:
    std::u16string m_owned;
    std::u16string_view m_view;
};

// Optional integer argument; a missing one takes `fallback`.
inline int32_t optLong(std::span<Value> args, size_t i, int32_t fallback) {
    return has(args, i) ? toLong(args[i]) : fallback;
}

inline bool optBool(std::span<Value> args, size_t i, bool fallback) {
    return has(args, i) ? toBool(args[i]) : fallback;
}

// The compare argument of the text functions: 0 binary, 1 text (2, database, compares as text).
inline bool textCompareArg(std::span<Value> args, size_t i) {
    const int32_t mode = optLong(args, i, 0);
    if (mode < 0 || mode > 2) throw RuntimeError(err::InvalidCall);
    return mode != 0;
}

// Null propagates through the functions whose documentation says so.
inline bool anyNull(std::span<Value> args, size_t count) {
    for (size_t i = 0; i < count && i < args.size(); ++i)
        if (plain(args[i]).isNull()) return true;
    return false;
}

} // namespace tvk::script::lib
