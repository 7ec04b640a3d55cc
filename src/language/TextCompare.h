#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tvk {

// Equality of two UTF-8 texts ignoring letter case (Latin, Greek and Cyrillic letters; other
// characters compare exactly). Invalid UTF-8 bytes compare as themselves.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// The number a text reads as: optional blanks, optional sign, digits with an optional fraction (or a
// fraction alone), optional blanks, nothing else. nullopt when the text is no such number.
std::optional<double> textAsNumber(std::string_view text);

// The index a text stands for when it reads as a decimal number: optional blanks, optional sign,
// digits with an optional fraction (or a fraction alone), optional blanks, nothing else. Rounded half
// to even. A number outside 32 bits gives -1, which names nothing. nullopt when the text is no number.
std::optional<std::int32_t> textAsIndex(std::string_view text);

} // namespace tvk
