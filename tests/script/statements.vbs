' More statement forms: nested With, Select Case on text, properties with arguments, Default
' members with arguments, Exit Property, Let, Call on members and dynamic arrays of objects.
Class Matrix
    Private m_cells(2, 2)
    Public Default Property Get Cell(r, c)
        Cell = m_cells(r, c)
    End Property
    Public Property Let Cell(r, c, v)
        m_cells(r, c) = v
    End Property
    Public Property Get Trace()
        Dim i
        Trace = 0
        For i = 0 To 2
            If IsEmpty(m_cells(i, i)) Then Exit Property
            Trace = Trace + m_cells(i, i)
        Next
    End Property
End Class
Set mx = New Matrix
mx.Cell(0, 0) = 1
mx(1, 1) = 5
AssertEq mx.Cell(1, 1), 5, "Property Let with index arguments through the default member"
AssertEq mx(0, 0), 1, "default Property Get with arguments"
AssertEq mx.Trace, 6, "Exit Property keeps the value so far"
mx(2, 2) = 10
AssertEq mx.Trace, 16, "all diagonal cells"

Class Inner
    Public Value
End Class
Class Outer
    Public Child
    Private Sub Class_Initialize()
        Set Child = New Inner
    End Sub
End Class
Set o = New Outer
With o
    .Child.Value = 3
    With .Child
        .Value = .Value * 2
    End With
    AssertEq .Child.Value, 6, "nested With refers to the inner object"
End With
AssertEq o.Child.Value, 6, "values set through With stay"

Function Kind(s)
    Select Case LCase(s)
        Case "a" To "m": Kind = "first half"
        Case "n" To "z": Kind = "second half"
        Case "": Kind = "empty"
        Case Else: Kind = "other"
    End Select
End Function
AssertEq Kind("Cat"), "first half", "Case range of text"
AssertEq Kind("x"), "second half", "second range"
AssertEq Kind(""), "empty", "Case of the empty string"
AssertEq Kind("1"), "other", "digits sort before letters"

Let lv = 4
AssertEq lv, 4, "Let assignment"
Call mx.Cell(0, 0)
Dim objs()
ReDim objs(2)
For i = 0 To 2
    Set objs(i) = New Inner
    objs(i).Value = i * i
Next
AssertEq objs(2).Value, 4, "members of objects held in an array"
AssertTrue objs(0) Is objs(0), "the same element is the same object"
AssertTrue Not objs(0) Is objs(1), "different elements hold different objects"

Class Failing
    Private Sub Class_Initialize()
        Err.Raise 5, "Failing", "cannot make"
    End Sub
End Class
AssertError "Set f = New Failing", 5, "an error in Class_Initialize reaches New"

Function MakeList()
    MakeList = Array(1, 2, 3)
End Function
AssertEq UBound(MakeList()), CLng(2), "a function can return an array"
AssertEq MakeList()(2), 3, "index a returned array"

Sub Outer1(ByRef v)
    Inner1 v
End Sub
Sub Inner1(ByRef v)
    v = v & "!"
End Sub
s = "hi"
Outer1 s
AssertEq s, "hi!", "ByRef passes through two calls"

Dim counter : counter = 0
Function Counted()
    counter = counter + 1
    Counted = counter
End Function
x = Counted() + Counted() * 10
AssertEq x, 21, "operands are evaluated left to right"
If Counted() = 3 Or Counted() = 99 Then AssertEq counter, 4, "Or does not short-circuit"

n = 0
Do
    n = n + 1
    Select Case n
        Case 3: Exit Do
    End Select
Loop
AssertEq n, 3, "Exit Do from inside Select Case"
For Each v In Array(1, 2, 3)
    Do While True
        Exit For
    Loop
    AssertFail "Exit For", "continued after Exit For inside Do"
Next
AssertSummary
