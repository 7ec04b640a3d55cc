' Eval, Execute and ExecuteGlobal.
AssertEq Eval("1 + 2 * 3"), 7, "Eval computes an expression"
x = 5
AssertEq Eval("x = 5"), True, "= in Eval compares"
Execute "x = 6"
AssertEq x, 6, "= in Execute assigns"
Execute "y = 1 : y = y + 1"
AssertEq y, 2, "Execute runs several statements"
ExecuteGlobal "Function Triple(n) : Triple = n * 3 : End Function"
AssertEq Triple(3), 9, "ExecuteGlobal defines a function"
Function LocalEval()
    Dim secret
    secret = 41
    LocalEval = Eval("secret + 1")
End Function
AssertEq LocalEval(), 42, "Eval sees the caller's local variables"
Function LocalExecute()
    Dim v
    Execute "v = 7"
    LocalExecute = v
End Function
AssertEq LocalExecute(), 7, "Execute assigns the caller's local variables"
Function ExecuteDeclares(n)
    Execute "Dim made : made = n * 2"
    Execute "made = made + 1"
    ExecuteDeclares = made + Eval("made")
End Function
AssertEq ExecuteDeclares(5), 22, "Execute's Dim inside a procedure makes a variable of that call"
AssertEq ExecuteDeclares(1), 6, "each call starts without it"
AssertTrue IsEmpty(made), "the variable is not global"
Dim shadowed
shadowed = "global"
Function ExecuteShadows()
    Execute "Dim shadowed : shadowed = ""local"""
    Execute "shadowed = shadowed & ""!"""
    ExecuteShadows = Eval("shadowed") & "/" & shadowed
End Function
AssertEq ExecuteShadows(), "local!/local!", "a variable Dim'd by Execute in a procedure hides the global"
AssertEq shadowed, "global", "the global keeps its value"
Sub ExecuteShadowsExplicitName(n)
    Execute "Dim shadowed"
    shadowed = n
End Sub
ExecuteShadowsExplicitName "changed"
AssertEq shadowed, "global", "the procedure's own code assigns the Execute variable, not the global"
Function ExecuteWithoutDim()
    Execute "shadowed = ""reached"""
    ExecuteWithoutDim = shadowed
End Function
AssertEq ExecuteWithoutDim(), "reached", "without Dim, Execute in a procedure assigns the global"
AssertEq shadowed, "reached", "the global took the value"
shadowed = "global"
Function HidesNamedObject(declare)
    On Error Resume Next
    If declare Then Execute "Dim WScript"
    WScript = "hidden"
    HidesNamedObject = TypeName(WScript) & " " & Err.Number & " " & Eval("TypeName(WScript)")
End Function
AssertEq HidesNamedObject(False), "WScript 501 WScript", "a named object cannot be assigned"
AssertEq HidesNamedObject(True), "String 0 String", "a variable Execute declares may take a named object's name"
AssertEq TypeName(WScript), "WScript", "the named object is untouched"
For i = 1 To 3
    Execute "counter = counter + 1"
Next
AssertEq counter, 3, "Execute in a loop"
AssertError "Execute ""If x Then""", 1014, "a compile error inside Execute"
AssertError "x = Eval(""1 +"")", 1002, "an incomplete expression in Eval is a syntax error"
AssertSummary
