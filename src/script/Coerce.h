#pragma once

#include "script/Value.h"

#include <cstdint>
#include <string>
#include <string_view>

// Conversions between variant subtypes with the language's rules. Every function throws
// tvk::RuntimeError: 13 type mismatch (text that is not a number, arrays, objects without a
// default value), 6 overflow (out of the target's range), 94 invalid use of Null.
namespace tvk::script {

// ---- Text encoding ----
std::u16string utf8ToUtf16(std::string_view utf8);  // invalid sequences become U+FFFD
std::string utf16ToUtf8(std::u16string_view utf16); // lone surrogates become U+FFFD
// ASCII-only case folding, as identifiers and option names compare.
bool equalsNoCase(std::u16string_view a, std::u16string_view b);
bool equalsNoCase(std::u16string_view a, std::string_view ascii);
std::u16string lowerAscii(std::u16string_view s);

// ---- Numeric conversions ----
// Round half to even, as CInt/CLng and integer operators round.
double roundHalfEven(double v);
// CBool: numbers are True unless 0; "True"/"False" (any case) or numeric text; else 13.
bool toBool(const Value& v);
// CByte/CInt/CLng: numeric value rounded half-to-even; range checked (6).
uint8_t toByte(const Value& v);
int16_t toInteger(const Value& v);
int32_t toLong(const Value& v);
// CDbl/CSng: Empty is 0, Boolean True is -1, numeric text parsed (with &H/&O forms).
double toDouble(const Value& v);
// CCur as the scaled integer (value * 10000, rounded half-to-even).
int64_t toCurrencyScaled(const Value& v);
// CDate as an OLE date (days since 1899-12-30, time as fraction); text parsed as m/d/yyyy [h:mm[:ss] [AM|PM]].
double toDate(const Value& v);

// Parses text as the language reads numbers ("  -1.5e3 ", "&HFF"); false when it is not one.
bool parseNumber(std::u16string_view text, double& out);

// ---- Text ----
// CStr: numbers in their shortest form (15 significant digits for Double, 7 for Single),
// Boolean as "True"/"False", Empty as "", dates as m/d/yyyy h:mm:ss AM. Null raises 94.
std::u16string toString(const Value& v);
std::string toUtf8(const Value& v); // toString, then UTF-8
std::u16string formatDouble(double d, int significantDigits);
// strtod of ASCII digits with '.' as the decimal point, whatever the process locale's is.
double asciiToDouble(std::string ascii);
std::u16string formatDate(double oleDate);

// ---- Objects ----
// The value an object stands for in an expression: its default member with no arguments;
// non-objects are returned as they are. Nothing raises 91, no default member 438.
Value defaultValue(const Value& v);

// ---- Operators (shared by the interpreter and the library) ----
// `Not` of a value: bitwise on numbers (Integer/Long/Byte kept), logical on Boolean, Null stays Null.
Value notOp(const Value& v);
// Comparison used by `=`, `<`, ... and Select Case: -1, 0, 1, or 2 when either side is Null.
// Strings compare by code unit (binary) unless textCompare is set.
int compareValues(const Value& a, const Value& b, bool textCompare = false);

} // namespace tvk::script
