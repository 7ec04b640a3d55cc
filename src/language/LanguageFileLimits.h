#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tvk {

// Limits a language file must keep before the XML parser sees it. Real language files stay far below
// them; a file beyond them is refused as not being a language file, quickly and in memory bounded by its
// size, where the parser's own cost would grow with their square (attributes of one element) or without
// end. The check is a linear pass over the file's bytes and, where its encoding could hide markup in
// multi-byte characters, a second one over its text decoded to UTF-8.
class LanguageFileLimits {
public:
    static constexpr std::size_t kMaxFileBytes = std::size_t{16} << 20;
    static constexpr std::size_t kMaxAttributesPerElement = 100;
    static constexpr std::size_t kMaxElements = 1'000'000;
    // Longest stretch of text, attribute value or entity value between two markup characters.
    static constexpr std::size_t kMaxTextBytes = std::size_t{1} << 20;

    // The first limit the file breaks, said as a parse error reason with the line and column (counted
    // from 1 in the decoded text) where it was found; nothing when the file keeps them all.
    struct Violation {
        std::string reason;
        int line = 0;
        int column = 0;
    };
    static std::optional<Violation> check(std::string_view bytes);

    // The encoding the XML parser will read `bytes` in: from a byte order mark, the layout of the first
    // characters, or the declaration; "UTF-8" when nothing says otherwise.
    static std::string encodingOf(std::string_view bytes);
};

} // namespace tvk
