#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tvk {

// Conversions between the program's UTF-8 text and the 8-bit Windows-1252 code page of event files.
// Windows-1252 bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character; they map to U+0081 .. U+009D
// and back, so every byte string survives a round trip.
namespace TextCodec {

// The byte order mark that marks UTF-8 text where Windows-1252 is the rule.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// True when `bytes` is well-formed UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);
// True when some byte is 0x80 or above.
bool hasNonAscii(std::string_view bytes);
// Every byte read as one Windows-1252 character, encoded as UTF-8.
std::string cp1252ToUtf8(std::string_view bytes);
// The Windows-1252 bytes of valid UTF-8 text, or nothing when the text is not valid UTF-8 or holds a
// character the code page lacks.
std::optional<std::string> utf8ToCp1252(std::string_view utf8);

} // namespace TextCodec
} // namespace tvk
