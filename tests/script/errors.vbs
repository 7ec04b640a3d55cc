' On Error, the Err object and the error numbers of common faults.
On Error Resume Next
x = 1 / 0
AssertTrue Err.Number = 11, "Err.Number after a division by zero"
AssertEq Err.Description, "Division by zero", "Err.Description"
Err.Clear
AssertTrue Err.Number = 0, "Err.Clear"
AssertEq Err.Description, "", "Err.Clear empties the description"
Err.Raise 1234, "mysource", "my message"
AssertTrue Err.Number = 1234, "Err.Raise number"
AssertEq Err.Description, "my message", "Err.Raise description"
AssertEq Err.Source, "mysource", "Err.Raise source"
Err.Raise 9
AssertEq Err.Description, "my message", "Err.Raise without a description keeps the one still set"
Err.Clear
Err.Raise 9
AssertEq Err.Description, "Subscript out of range", "after Clear Err.Raise with a known number uses its message"
Err.Raise vbObjectError + 1
AssertTrue Err.Number = vbObjectError + 1, "application error numbers"
On Error GoTo 0
AssertTrue Err.Number = 0, "On Error GoTo 0 clears Err"

Function Fails()
    Fails = 1
    x = CLng("not a number")
    Fails = 2
End Function
On Error Resume Next
r = Fails()
AssertTrue Err.Number = 13, "an error in a called function reaches the caller"
AssertTrue IsEmpty(r), "the failed call assigns nothing"
On Error GoTo 0

Function Tolerant()
    On Error Resume Next
    x = 1 / 0
    Tolerant = Err.Number
End Function
AssertEq Tolerant(), CLng(11), "On Error inside a function"
AssertTrue Err.Number = 11, "Err keeps the last error after the function returns"
Err.Clear

Sub ResumeInIf()
    On Error Resume Next
    entered = False
    If 1 / 0 = 5 Then entered = True
    AssertTrue entered, "a failing If condition goes on into the Then branch"
End Sub
ResumeInIf

AssertError "Err.Raise 6", 6, "Err.Raise without On Error"
AssertError "x = Null + CInt(Null)", 94, "CInt of Null is an invalid use of Null"
AssertError "Dim o : o.Member = 1", 424, "member of a non-object"
AssertError "x = CreateObject(""No.Such.Object"")", 429, "CreateObject of an unknown class"
AssertError "Dim q(1) : x = q(""a"")", 13, "a non-numeric index"
AssertError "x = Nothing + 1", 91, "arithmetic on Nothing"
AssertError "x = 1 : x = x(1)", 13, "indexing a number"
AssertError "Err.Raise 0", 5, "Err.Raise 0 is an invalid call"
AssertError "Set WScript = Nothing", 501, "a named object cannot be replaced"
AssertError "Const Fixed = 1 : Fixed = 2", 501, "a constant cannot be assigned"
AssertSummary
