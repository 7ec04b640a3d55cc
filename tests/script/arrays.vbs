' Fixed and dynamic arrays, ReDim Preserve, bounds, Erase and value semantics.
Dim fixed(4)
AssertEq UBound(fixed), CLng(4), "Dim a(4) has upper bound 4"
AssertEq LBound(fixed), CLng(0), "lower bound is 0"
AssertEq VarType(fixed), 8204, "VarType of an array"
AssertEq TypeName(fixed), "Variant()", "TypeName of an array"
AssertTrue IsEmpty(fixed(2)), "elements start Empty"
fixed(4) = "last"
AssertEq fixed(4), "last", "element write and read"
AssertError "fixed(5) = 1", 9, "index past the upper bound"
AssertError "x = fixed(-1)", 9, "negative index"
AssertError "ReDim fixed(10)", 10, "a fixed array cannot be resized"

Dim m(2, 3)
AssertEq UBound(m, 1), CLng(2), "first dimension"
AssertEq UBound(m, 2), CLng(3), "second dimension"
AssertError "x = UBound(m, 3)", 9, "no third dimension"
m(2, 3) = 23
AssertEq m(2, 3), 23, "two-dimensional element"
AssertError "x = m(1)", 9, "wrong number of indexes"

Dim dyn()
ReDim dyn(2)
dyn(0) = "a" : dyn(1) = "b" : dyn(2) = "c"
ReDim Preserve dyn(4)
AssertEq dyn(1), "b", "ReDim Preserve keeps elements"
AssertEq UBound(dyn), CLng(4), "ReDim Preserve grows"
ReDim Preserve dyn(1)
AssertEq UBound(dyn), CLng(1), "ReDim Preserve shrinks"
AssertEq dyn(0) & dyn(1), "ab", "shrinking keeps the front"
ReDim dyn(3)
AssertTrue IsEmpty(dyn(0)), "ReDim without Preserve clears"
ReDim grid(1, 2)
grid(1, 2) = "x"
ReDim Preserve grid(1, 5)
AssertEq grid(1, 2), "x", "Preserve may change the last dimension"
AssertError "ReDim Preserve grid(3, 5)", 9, "Preserve may not change other dimensions"
ReDim none(-1)
AssertEq UBound(none), CLng(-1), "ReDim a(-1) makes an empty array"

a = Array(1, 2, 3)
b = a
b(0) = 99
AssertEq a(0), 1, "assigning an array copies it"
AssertEq UBound(Array()), CLng(-1), "Array() is empty"
AssertEq Array(1, "x")(1), "x", "index the result of a call"
Sub SetFirst(arr)
    arr(0) = "changed"
End Sub
SetFirst a
AssertEq a(0), "changed", "an array argument is ByRef"

Erase fixed
AssertTrue IsEmpty(fixed(4)), "Erase clears a fixed array"
AssertEq UBound(fixed), CLng(4), "Erase keeps a fixed array's size"
Erase dyn
AssertError "x = UBound(dyn)", 9, "Erase frees a dynamic array"
AssertError "x = UBound(5)", 13, "UBound of a non-array"
AssertTrue IsArray(a), "IsArray of an array"
AssertTrue Not IsArray(5), "IsArray of a number"
AssertError "ReDim huge(2147483647)", 7, "an array beyond memory is out of memory, not a crash"
AssertError "ReDim huge(100000, 100000)", 7, "the element count of all dimensions counts"
AssertError "ReDim negative(-2)", 9, "an upper bound below -1"
Class BigField
    Public Cells(2147483647)
End Class
AssertError "Set bf = New BigField", 7, "a class field array beyond memory"
AssertSummary
