#pragma once

#include "script/Ast.h"
#include "script/Value.h"

namespace tvk::script {

// The language's operators on variants: type promotion (Byte -> Integer -> Long -> Double on
// overflow), Null propagation, string/number rules, and the errors 6, 11, 13, 94, 424.
Value binaryOp(Op op, const Value& a, const Value& b);
Value unaryOp(Op op, const Value& a);
// a & b: Null when both are Null, else the two texts joined (Null reads as ""); 14 past the length limit.
Value concat(const Value& a, const Value& b);
// A comparison with a literal operand, where text meets a number or Boolean: the other side takes the
// literal's type (x = "0" : x > 30 is False; n = 0 : n = "" is False), and when both sides are
// literals the text is read as a number (13 when it is none). Otherwise as binaryOp.
Value compareWithLiteral(Op op, const Value& a, const Value& b, bool lhsLiteral, bool rhsLiteral);
// a & b for a temporary a: b's text is appended to a's in place when a holds its text alone.
Value concatTemporary(Value a, const Value& b);
// Appends the text of `piece` (Null adds nothing) to `text`; 14 past the length limit.
void appendText(std::u16string& text, const Value& piece);

} // namespace tvk::script
