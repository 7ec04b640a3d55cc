' If, Select Case, For, For Each, Do, While and With.
Function Sign(n)
    If n > 0 Then Sign = 1 Else If n < 0 Then Sign = -1 Else Sign = 0
End Function
AssertEq Sign(5), 1, "single-line If"
AssertEq Sign(-5), -1, "nested single-line If in Else"
AssertEq Sign(0), 0, "innermost Else"

Function Grade(n)
    If n >= 90 Then
        Grade = "A"
    ElseIf n >= 80 Then
        Grade = "B"
    ElseIf n >= 70 Then
        Grade = "C"
    Else
        Grade = "F"
    End If
End Function
AssertEq Grade(95), "A", "If branch"
AssertEq Grade(85), "B", "first ElseIf"
AssertEq Grade(75), "C", "second ElseIf"
AssertEq Grade(10), "F", "Else branch"
If Null Then AssertFail "If Null", "took the Then branch"
If "True" Then ok = 1 Else ok = 0
AssertEq ok, 1, "If accepts the text True"

Function Classify(v)
    Select Case v
        Case 1, 2, 3
            Classify = "small"
        Case 4 To 9
            Classify = "medium"
        Case "x"
            Classify = "letter"
        Case Is >= 100
            Classify = "huge"
        Case Else
            Classify = "other"
    End Select
End Function
AssertEq Classify(2), "small", "Case list"
AssertEq Classify(7), "medium", "Case range"
AssertEq Classify(500), "huge", "Case Is"
AssertEq Classify("x"), "letter", "Case on text"
AssertEq Classify(50), "other", "Case Else"
AssertEq Classify("y"), "huge", "text is greater than any number in Case Is"
Select Case Null
    Case Null: AssertFail "Select Case Null", "Null matched Null"
End Select

s = 0
For i = 1 To 10
    s = s + i
Next
AssertEq s, 55, "For sums 1 to 10"
AssertEq i, 11, "the counter ends one step past the limit"
s = ""
For i = 10 To 1 Step -3
    s = s & i & " "
Next
AssertEq s, "10 7 4 1 ", "negative Step"
s = 0
For i = 1 To 0
    s = s + 1
Next
AssertEq s, 0, "a For whose start is past its end runs no time"
s = 0
For i = 0 To 1 Step 0.25
    s = s + 1
Next
AssertEq s, 5, "fractional Step"
For i = 1 To 100
    If i = 7 Then Exit For
Next
AssertEq i, 7, "Exit For keeps the counter"
n = 0
For i = 1 To 10
    i = i + 1
    n = n + 1
Next
AssertEq n, 5, "changing the counter in the body changes the loop"

s = ""
For Each item In Array("a", "b", "c")
    s = s & item
Next
AssertEq s, "abc", "For Each over an array"
Dim grid(1, 1)
grid(0, 0) = 1 : grid(0, 1) = 2 : grid(1, 0) = 3 : grid(1, 1) = 4
s = 0
For Each item In grid
    s = s + item
Next
AssertEq s, 10, "For Each over a two-dimensional array"

n = 0
Do While n < 5
    n = n + 1
Loop
AssertEq n, 5, "Do While"
n = 0
Do Until n = 3
    n = n + 1
Loop
AssertEq n, 3, "Do Until"
n = 10
Do
    n = n + 1
Loop While n < 5
AssertEq n, 11, "Loop While tests after the body"
n = 0
Do
    n = n + 1
    If n = 4 Then Exit Do
Loop
AssertEq n, 4, "Exit Do"
n = 0
Do
    n = n + 1
Loop Until n >= 2
AssertEq n, 2, "Loop Until"
n = 0
While n < 3
    n = n + 1
Wend
AssertEq n, 3, "While Wend"

found = 0
For i = 1 To 3
    For j = 1 To 3
        If j = 2 Then Exit For
        found = found + 1
    Next
Next
AssertEq found, 3, "Exit For leaves only the inner loop"

Set re = New RegExp
With re
    .Pattern = "b+"
    .Global = True
    AssertEq .Pattern, "b+", "With reads members"
End With
AssertEq re.Pattern, "b+", "With writes members"
AssertError "For f = CSng(1) To CSng(3E+38) Step CSng(2E+38) : Next", 6, "a Single counter that leaves its range overflows"
AssertSummary
