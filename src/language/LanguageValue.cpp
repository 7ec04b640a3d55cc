#include "language/LanguageValue.h"

#include "events/RuntimeError.h"

#include <limits>

namespace tvk {

LanguageValue LanguageValue::array(std::int32_t lower, std::vector<std::string> items) {
    const auto last = static_cast<std::int64_t>(lower) + static_cast<std::int64_t>(items.size()) - 1;
    if (items.empty() || last > std::numeric_limits<std::int32_t>::max()) {
        throw RuntimeError(err::SubscriptOutOfRange);
    }
    LanguageValue v;
    v.m_kind = Kind::Array;
    v.m_lower = lower;
    v.m_items = std::move(items);
    return v;
}

std::string LanguageValue::text() const {
    if (m_kind == Kind::Array) throw RuntimeError(err::TypeMismatch);
    return m_text;
}

void LanguageValue::requireArray() const {
    if (m_kind != Kind::Array) throw RuntimeError(err::TypeMismatch);
}

std::int32_t LanguageValue::lowerBound() const {
    requireArray();
    return m_lower;
}

std::int32_t LanguageValue::upperBound() const {
    requireArray();
    return static_cast<std::int32_t>(static_cast<std::int64_t>(m_lower) + std::int64_t(m_items.size()) - 1);
}

std::size_t LanguageValue::offset(std::int32_t index) const {
    requireArray();
    const std::int64_t off = static_cast<std::int64_t>(index) - m_lower;
    if (off < 0 || off >= static_cast<std::int64_t>(m_items.size())) throw RuntimeError(err::SubscriptOutOfRange);
    return static_cast<std::size_t>(off);
}

const std::string& LanguageValue::item(std::int32_t index) const {
    return m_items[offset(index)];
}

void LanguageValue::setItem(std::int32_t index, std::string text) {
    m_items[offset(index)] = std::move(text);
}

const std::vector<std::string>& LanguageValue::items() const {
    requireArray();
    return m_items;
}

} // namespace tvk
