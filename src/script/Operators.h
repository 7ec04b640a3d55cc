#pragma once

#include "script/Ast.h"
#include "script/Value.h"

namespace tvk::script {

// The language's operators on variants: type promotion (Byte -> Integer -> Long -> Double on
// overflow), Null propagation, string/number rules, and the errors 6, 11, 13, 94, 424.
Value binaryOp(Op op, const Value& a, const Value& b);
Value unaryOp(Op op, const Value& a);
// a & b without creating intermediate copies when a is uniquely owned (the in-place case of s = s & x).
Value concat(const Value& a, const Value& b);
// A comparison with a literal operand, where text meets a number or Boolean: the other side takes the
// literal's type (x = "0" : x > 30 is False; n = 0 : n = "" is False), and when both sides are
// literals the text is read as a number (13 when it is none). Otherwise as binaryOp.
Value compareWithLiteral(Op op, const Value& a, const Value& b, bool lhsLiteral, bool rhsLiteral);

} // namespace tvk::script
