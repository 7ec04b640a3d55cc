' Select Case over integer cases: the first matching case wins, subjects of other subtypes compare
' as numbers, and cases that are not integer literals still decide in order.
Function Pick(v)
    Select Case v
        Case 1: Pick = "one"
        Case 2, 3: Pick = "two-three"
        Case 3: Pick = "never"
        Case -5: Pick = "minus five"
        Case 70000: Pick = "long"
        Case Else: Pick = "else"
    End Select
End Function

Dim picks, p
' subject, expected case
picks = Array( _
    Array(1, "one"), Array(2, "two-three"), Array(3, "two-three"), Array(-5, "minus five"), _
    Array(CLng(70000), "long"), Array(4, "else"), Array(0, "else"), Array(2.0, "two-three"), _
    Array(2.5, "else"), Array(CByte(2), "two-three"), Array(CLng(3), "two-three"), Array(Empty, "else"), _
    Array(CDbl(70000), "long"))
For Each p In picks
    AssertEq Pick(p(0)), p(1), "Select Case " & TypeName(p(0)) & " " & p(0)
Next

Function PickMixed(v, k)
    Select Case v
        Case 1: PickMixed = "one"
        Case k: PickMixed = "variable"
        Case 2: PickMixed = "two"
        Case Is > 10: PickMixed = "big"
        Case 5 To 7: PickMixed = "range"
    End Select
End Function
AssertEq PickMixed(2, 2), "variable", "a variable case before a literal one wins"
AssertEq PickMixed(2, 9), "two", "the literal case after a variable one"
AssertEq PickMixed(11, 0), "big", "Case Is"
AssertEq PickMixed(6, 0), "range", "Case To"
AssertTrue IsEmpty(PickMixed(8, 0)), "no case and no Case Else runs nothing"

Function OnlyElse(v)
    Select Case v
        Case Else: OnlyElse = "else " & v
    End Select
End Function
AssertEq OnlyElse(3), "else 3", "a Select with only Case Else"

Function CountCases(n)
    Dim i, tally(3)
    For i = 1 To n
        Select Case i Mod 4
            Case 0: tally(0) = tally(0) + 1
            Case 1: tally(1) = tally(1) + 1
            Case 2
                tally(2) = tally(2) + 1
                If i > 5 Then Exit For
            Case Else: tally(3) = tally(3) + 1
        End Select
    Next
    CountCases = Join(tally, ",") & ":" & i
End Function
AssertEq CountCases(9), "1,2,2,1:6", "Exit For from inside a case leaves the loop"

AssertSummary
