Option Explicit
' Undeclared names are errors under Option Explicit.
Dim declared
declared = 1
AssertEq declared, 1, "a declared variable"
AssertError "Option Explicit : undeclaredName = 5", 500, "assigning an undeclared variable"
Function UsesUndeclared()
    UsesUndeclared = notDeclaredHere
End Function
Dim failed
On Error Resume Next
failed = UsesUndeclared()
AssertTrue Err.Number = 500, "reading an undeclared variable in a function"
On Error GoTo 0
AssertSummary
