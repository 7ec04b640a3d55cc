' Assertion helpers loaded before every conformance script. A failed check prints "FAIL", what
' was checked and the values seen, and ends the script with exit code 1. AssertSummary prints
' the line the test runner waits for, so a script that stops early fails too.
Dim AssertCount
AssertCount = 0

Sub AssertFail(what, detail)
    WScript.Echo "FAIL: " & what & " -- " & detail
    WScript.Quit 1
End Sub

Function AssertDescribe(v)
    If IsArray(v) Then
        AssertDescribe = "array"
    ElseIf IsObject(v) Then
        AssertDescribe = "object " & TypeName(v)
    ElseIf IsNull(v) Then
        AssertDescribe = "Null"
    Else
        AssertDescribe = TypeName(v) & " '" & CStr(v) & "'"
    End If
End Function

' Same subtype and same value.
Sub AssertEq(actual, expected, what)
    AssertCount = AssertCount + 1
    If VarType(actual) <> VarType(expected) Then
        AssertFail what, "expected " & AssertDescribe(expected) & ", got " & AssertDescribe(actual)
    End If
    If IsNull(expected) Or IsEmpty(expected) Then Exit Sub
    If IsObject(expected) Then
        If Not actual Is expected Then AssertFail what, "a different object"
        Exit Sub
    End If
    If actual <> expected Then
        AssertFail what, "expected " & AssertDescribe(expected) & ", got " & AssertDescribe(actual)
    End If
End Sub

Sub AssertTrue(condition, what)
    AssertCount = AssertCount + 1
    If VarType(condition) <> vbBoolean Then AssertFail what, "not a Boolean: " & AssertDescribe(condition)
    If Not condition Then AssertFail what, "was False"
End Sub

' Runs statements at global scope and checks the runtime error number they raise (0: none).
Sub AssertError(code, number, what)
    Dim got, description
    On Error Resume Next
    ExecuteGlobal code
    got = Err.Number
    description = Err.Description
    On Error GoTo 0
    AssertCount = AssertCount + 1
    If got <> number Then AssertFail what, "expected error " & number & ", got " & got & " " & description
End Sub

Sub AssertSummary()
    WScript.Echo "ok " & AssertCount & " assertions"
End Sub
