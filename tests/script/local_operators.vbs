' Operators on the local variables of a procedure: every combination of operand forms (local,
' literal, nested operation, local array element) in both positions, with non-commutative
' operators so that a swapped or misread operand shows, and the subtype and error rules there.
Function Shapes()
    Dim a, b, arr, i, r
    a = 10
    b = 4
    arr = Array(0, 1, 3, 5)
    i = 2
    r = ""
    r = r & (a - b) & ","          ' local, local
    r = r & (a - 3) & ","          ' local, literal
    r = r & (20 - a) & ","         ' literal, local
    r = r & ((a * 2) - b) & ","    ' nested, local
    r = r & (a - (b * 2)) & ","    ' local, nested
    r = r & ((a + 1) - (b + 2)) & "," ' nested, nested
    r = r & (a - arr(i)) & ","     ' local, element
    r = r & (100 - arr(i)) & ","   ' literal, element
    r = r & ((a * 10) - arr(i + 1)) & "," ' nested, element of a computed index
    r = r & (a / b) & "," & (a \ b) & "," & (a Mod b) & "," & (b Mod a)
    Shapes = r
End Function
AssertEq Shapes(), "6,7,10,16,2,5,7,97,95,2.5,2,2,4", "each operand form is read from its own place"

Function Comparisons()
    Dim a, b, arr, i
    a = 10
    b = 4
    arr = Array(7, 10)
    i = 1
    Comparisons = Array(a < b, b < a, a <= 10, 3 > a, (a - 6) = b, a <> arr(i), a >= arr(0), (b * 2) > arr(0))
End Function
Dim seen, expected, k
seen = Comparisons()
expected = Array(False, True, True, False, True, False, True, True)
For k = 0 To UBound(expected)
    AssertEq seen(k), expected(k), "comparison " & k & " of locals"
Next

Function Promotes(kind)
    Dim small, big, t, by, day
    small = CInt(32767)
    big = CLng(2147483647)
    t = True
    by = CByte(255)
    day = #1/31/2001#
    Select Case kind
    Case "int+1": Promotes = small + 1
    Case "int*int": Promotes = CInt(200) * small
    Case "int-": Promotes = -small - 2
    Case "long+1": Promotes = big + 1
    Case "true+1": Promotes = t + 1
    Case "byte+byte": Promotes = by + CByte(1)
    Case "date+1": Promotes = day + 1
    Case "half": Promotes = small / 2
    End Select
End Function
AssertEq Promotes("int+1"), CLng(32768), "Integer overflow becomes Long"
AssertEq Promotes("int*int"), CLng(6553400), "Integer product overflow becomes Long"
AssertEq Promotes("int-"), CLng(-32769), "Integer subtraction below the range becomes Long"
AssertEq Promotes("long+1"), 2147483648, "Long overflow becomes Double"
AssertEq Promotes("true+1"), CInt(0), "True is -1 in arithmetic"
AssertEq Promotes("byte+byte"), CInt(256), "Byte overflow becomes Integer"
AssertEq Promotes("date+1"), #2/1/2001#, "a date plus days is a date"
AssertEq Promotes("half"), 16383.5, "/ always gives a Double"

Function Faulty(kind)
    Dim zero, n, arr, i, text
    zero = 0
    n = 5
    arr = Array(1, 2)
    i = 5
    text = "abc"
    Select Case kind
    Case 1: Faulty = n / zero
    Case 2: Faulty = n Mod zero
    Case 3: Faulty = n \ zero
    Case 4: Faulty = n + arr(i)
    Case 5: Faulty = n + text
    Case 6: Faulty = 1 + text(0)
    End Select
End Function
Dim faults
faults = Array(Array(1, 11), Array(2, 11), Array(3, 11), Array(4, 9), Array(5, 13), Array(6, 13))
For Each k In faults
    AssertError "x = Faulty(" & k(0) & ")", k(1), "error of local operation " & k(0)
Next

Function WithNull(kind)
    Dim nothingness, n
    nothingness = Null
    n = 3
    If kind = 1 Then WithNull = nothingness + n Else WithNull = n < nothingness
End Function
AssertTrue IsNull(WithNull(1)), "Null propagates through local arithmetic"
AssertTrue IsNull(WithNull(2)), "and through local comparison"

AssertSummary
