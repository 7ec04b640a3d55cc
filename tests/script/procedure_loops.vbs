' Loops and assignments on the variables of a procedure, where the interpreter counts and stores
' without the general paths: the subtype rules, a counter the body changes, counters that are not
' locals, and the errors those statements raise.
Function CountUp(first, last, stepBy)
    Dim i, n
    n = 0
    For i = first To last Step stepBy
        n = n + 1
    Next
    CountUp = Array(n, i)
End Function

Dim cases, c, r
' first, last, step, times run, counter after the loop
cases = Array( _
    Array(1, 10, 1, 10, 11), _
    Array(10, 1, -3, 4, -2), _
    Array(1, 0, 1, 0, 1), _
    Array(5, 5, -1, 1, 4), _
    Array(-3, 3, 2, 4, 5), _
    Array(32760, 32767, 1, 8, CLng(32768)), _
    Array(CLng(1), 3, 1, 3, CLng(4)), _
    Array(0, 1, 0.25, 5, 1.25), _
    Array(1.5, 3, 1, 2, 3.5))
For Each c In cases
    r = CountUp(c(0), c(1), c(2))
    AssertEq r(0), c(3), "For " & c(0) & " To " & c(1) & " Step " & c(2) & " runs the body"
    AssertEq r(1), c(4), "For " & c(0) & " To " & c(1) & " Step " & c(2) & " leaves the counter"
Next

Function CounterTypes()
    Dim i, t
    t = ""
    For i = 32766 To 32767
        t = t & TypeName(i) & ","
    Next
    t = t & TypeName(i) & ","
    For i = 1 To CLng(2)
        t = t & TypeName(i) & ","
    Next
    For i = 0 To 1 Step 0.5
        t = t & TypeName(i) & ","
    Next
    CounterTypes = t
End Function
AssertEq CounterTypes(), "Integer,Integer,Long,Long,Long,Double,Double,Double,", _
    "the counter is Integer while it fits, Long with a Long bound, Double with a fractional step"

Function Sums(kind)
    Dim i, s
    s = 0
    Select Case kind
    Case 1
        For i = 1 To 40000
            s = s + i
        Next
    Case 2
        For i = 1 To 3
            s = s + 2147483647
        Next
    Case 3
        For i = 1 To 300
            s = s + 200
        Next
    Case 4
        s = 0.5
        For i = 1 To 4
            s = s * 2 + i / 4
        Next
    End Select
    Sums = s
End Function
AssertEq Sums(1), CLng(800020000), "an Integer sum grows into a Long inside a loop"
AssertEq Sums(2), 6442450941, "a Long sum grows into a Double inside a loop"
AssertEq Sums(3), CLng(60000), "an Integer sum past 32767 is a Long"
AssertEq Sums(4), 14.5, "Double arithmetic inside a loop"

Function ChangedCounter(kind)
    Dim i, n
    n = 0
    Select Case kind
    Case 1
        For i = 1 To 10
            i = i + 1
            n = n + 1
        Next
    Case 2
        For i = 1 To 5
            If i = 1 Then i = "3"
            n = n + 1
        Next
    Case 3
        For i = 1 To 5
            i = 2.6
            n = n + 1
            If n = 3 Then Exit For
        Next
    Case 4
        For i = 10 To 1 Step -1
            i = i - 4
            n = n + 1
        Next
    End Select
    ChangedCounter = n & ":" & i
End Function
AssertEq ChangedCounter(1), "5:11", "the body adding to the counter skips steps"
AssertEq ChangedCounter(2), "3:6", "a counter set to text counts on from its number"
AssertEq ChangedCounter(3), "3:2.6", "a counter set to a fraction is rounded for the next step"
AssertEq ChangedCounter(4), "2:0", "the body changes a counter that counts down"

Sub CountInto(ByRef counter, last)
    For counter = 1 To last
    Next
End Sub
Dim outer
CountInto outer, 4
AssertEq outer, 5, "a ByRef parameter as counter is the caller's variable"

Class Walker
    Public Position
    Public Steps
    Sub Walk(last)
        Steps = 0
        For Position = 1 To last
            Steps = Steps + 1
        Next
    End Sub
End Class
Dim w
Set w = New Walker
w.Walk 3
AssertEq w.Position, 4, "a field of the object as counter"
AssertEq w.Steps, 3, "a field counter runs the body each time"

Function NestedExits()
    Dim i, j, n
    n = 0
    For i = 1 To 3
        For j = 1 To 3
            If j = 2 Then Exit For
            n = n + 10
        Next
        If i = 2 Then Exit For
        n = n + 1
    Next
    NestedExits = n & ":" & i & ":" & j
End Function
AssertEq NestedExits(), "21:2:2", "Exit For leaves only its own loop and keeps the counters"

Function ExitInside()
    Dim i
    For i = 1 To 10
        If i = 4 Then
            ExitInside = i
            Exit Function
        End If
    Next
    ExitInside = -1
End Function
AssertEq ExitInside(), 4, "Exit Function inside a For leaves the procedure"

Function CounterPastLong()
    Dim i, n
    On Error Resume Next
    For i = 2147483646 To 2147483647
        n = n + 1
    Next
    CounterPastLong = n & ":" & Err.Number
End Function
AssertEq CounterPastLong(), "2:6", "a counter stepping past the Long range overflows after the last run"

Function FailedAssignments()
    Dim x, y, fixed(2), r
    On Error Resume Next
    x = 1
    x = 1 / 0
    r = x & ":" & Err.Number
    Err.Clear
    y = 5
    y = "abc" + 1
    r = r & "," & y & ":" & Err.Number
    Err.Clear
    fixed = 3
    r = r & "," & IsArray(fixed) & ":" & Err.Number
    FailedAssignments = r
End Function
AssertEq FailedAssignments(), "1:11,5:13,True:10", "a failing assignment leaves the variable as it was"

Class Boxed
    Public Default Property Get Content()
        Content = 42
    End Property
End Class

Function DefaultOfObject()
    Dim b, v
    Set b = New Boxed
    v = b
    DefaultOfObject = TypeName(v) & ":" & v
End Function
AssertEq DefaultOfObject(), "Integer:42", "a Let of an object stores its default value"

Function Accumulate(values)
    Dim i, total, text
    total = 0
    text = ""
    For i = 0 To UBound(values)
        total = total + values(i)
        text = text & values(i)
    Next
    Accumulate = TypeName(total) & ":" & total & ":" & text
End Function
AssertEq Accumulate(Array(1, 2.5, "3")), "Double:6.5:12.53", "a sum over mixed subtypes follows each operand"

Function Divisions()
    Dim lowest, minusOne, r, i
    lowest = CLng(-2147483647) - 1
    minusOne = -1
    r = TypeName(lowest Mod minusOne) & ":" & (lowest Mod minusOne)
    r = r & "," & (-7 Mod 3) & "," & (7 Mod -3) & "," & (7 \ -2) & "," & (-7 \ 2)
    i = CInt(-32768)
    r = r & "," & TypeName(i \ minusOne) & ":" & (i \ minusOne)
    On Error Resume Next
    r = r & "," & (lowest \ minusOne)
    r = r & "," & Err.Number
    Divisions = r
End Function
AssertEq Divisions(), "Long:0,-1,1,-3,-3,Long:32768,6", "Mod and \ at the edges of the integer range"

Function ModuloSums()
    Dim i, s
    s = 0
    For i = 1 To 100
        s = s + i Mod 7
    Next
    For i = -20 To -1
        s = s + i Mod 7 + i \ 3
    Next
    ModuloSums = s
End Function
AssertEq ModuloSums(), 171, "an accumulator loop of Mod and \ over positive and negative counters"

Function ResumedSum()
    Dim arr, i, s, fixed(1), failures
    arr = Array(1, 2, 3)
    s = 0
    On Error Resume Next
    For i = 1 To 4
        s = s + arr(i)
    Next
    failures = Err.Number
    Err.Clear
    For i = 1 To 2
        fixed = i + 1
    Next
    ResumedSum = s & ":" & failures & ":" & i & ":" & IsArray(fixed) & ":" & Err.Number
End Function
AssertEq ResumedSum(), "5:9:3:True:10", "errors of an accumulator loop's body resume at the next step"

Function UnresumedSum()
    Dim arr, i, s
    arr = Array(1, 2)
    For i = 0 To 2
        s = s + arr(i)
    Next
    UnresumedSum = s
End Function
AssertError "x = UnresumedSum()", 9, "without On Error the accumulator loop stops at the error"

AssertSummary
