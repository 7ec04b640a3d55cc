#pragma once

#include "script/Value.h"

#include <span>
#include <string>
#include <string_view>

// Strings seen as the bytes they are held in: two per UTF-16 unit, low byte first, and the odd
// last byte of a text the byte functions cut (see StringRep::oddByte). LenB, LeftB, MidB, InStrB
// and joining such a text work on these bytes.
namespace tvk::script::bytetext {

// Longest byte text these functions build (error 14 beyond it), twice the longest text.
inline constexpr size_t MaxBytes = size_t{1} << 29;

// The bytes of the value's text (CStr of a non-string); Null gives none.
std::string bytesOf(const Value& v);
// The bytes of these units, then `oddByte` when it is 0..255 (see Value::oddByte).
std::string bytesOf(std::u16string_view units, int oddByte);
// The text made of these bytes: pairs become units; an odd last byte is kept apart.
Value fromBytes(std::string_view bytes);
// a & b joined byte by byte; for operands of which one has an odd byte count (Null joins as nothing).
Value concat(const Value& a, const Value& b);
// Appends the pieces byte by byte to the text `target` alone holds, in place, so a loop that builds a
// text of bytes takes linear time; false (nothing appended) when target is no string or is shared.
// Object pieces' default members run before the target is read.
// Errors 14 and 7 beyond the length and memory limits leave the text as it was.
bool appendInPlace(Value& target, std::span<const Value> pieces);

} // namespace tvk::script::bytetext
