#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tvk {

// The value of a language entry: empty, one text, or a one-dimensional array of texts with any
// 32-bit bounds (lower <= upper; an item never set reads as empty text).
class LanguageValue {
public:
    enum class Kind { Empty, Text, Array };

    LanguageValue() = default;
    LanguageValue(std::string text) : m_kind(Kind::Text), m_text(std::move(text)) {}
    LanguageValue(const char* text) : LanguageValue(std::string(text)) {}

    // An array indexed from `lower` holding `items` in order; 9 when `items` is empty or the upper bound
    // would pass 2147483647.
    static LanguageValue array(std::int32_t lower, std::vector<std::string> items);

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Kind::Empty; }
    bool isArray() const { return m_kind == Kind::Array; }

    // The text form: the text, empty text for an empty value; 13 (type mismatch) for an array.
    std::string text() const;

    // Array access; 13 when the value is not an array, 9 when the index lies outside the bounds.
    std::int32_t lowerBound() const;
    std::int32_t upperBound() const;
    const std::string& item(std::int32_t index) const;
    void setItem(std::int32_t index, std::string text);
    // All items from the lower to the upper bound.
    const std::vector<std::string>& items() const;

    friend bool operator==(const LanguageValue&, const LanguageValue&) = default;

private:
    void requireArray() const;
    std::size_t offset(std::int32_t index) const;

    Kind m_kind = Kind::Empty;
    std::string m_text;
    std::int32_t m_lower = 0;
    std::vector<std::string> m_items;
};

} // namespace tvk
