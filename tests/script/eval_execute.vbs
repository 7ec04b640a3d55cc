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
' A procedure defined again by ExecuteGlobal: calls written before the new definition run it, since
' calls find their procedure by name when they run.
Dim redefined
Sub Mark : redefined = 1 : End Sub
Sub CallsMark : Mark : End Sub
CallsMark
AssertEq redefined, 1, "the first definition runs"
ExecuteGlobal "Sub Mark : redefined = 2 : End Sub"
CallsMark
AssertEq redefined, 2, "an earlier call runs the new definition"
Function Grow(n) : Grow = n + 1 : End Function
Function UsesGrow() : UsesGrow = Grow(10) : End Function
AssertEq UsesGrow(), 11, "the first function"
ExecuteGlobal "Function Grow(n) : Grow = n * 100 : End Function"
AssertEq UsesGrow(), 1000, "an earlier function call runs the new definition"
AssertEq Grow(2), 200, "so does a call written after it"
Sub Rewrites
    ExecuteGlobal "Sub Rewrites : redefined = 9 : End Sub"
    redefined = 3
End Sub
Rewrites
AssertEq redefined, 3, "a procedure that redefines itself finishes its running body"
Rewrites
AssertEq redefined, 9, "and the next call runs the new one"
Function Sum(n)
    If n = 3 Then ExecuteGlobal "Function Sum(n) : Sum = 100 : End Function"
    If n = 0 Then Sum = 0 Else Sum = n + Sum(n - 1)
End Function
AssertEq Sum(5), 112, "redefined amid recursion: deeper calls run the new body, running ones finish"
' Only a procedure may be defined again: a name that a constant, a named object or a class holds stays theirs.
Const HeldByConstant = 2
Class HeldByClass : End Class
AssertError "ExecuteGlobal ""Sub WScript : End Sub""", 1041, "a procedure over a named object"
AssertError "ExecuteGlobal ""Sub HeldByConstant : End Sub""", 1041, "a procedure over a constant"
AssertEq HeldByConstant, 2, "the constant stays"
AssertError "ExecuteGlobal ""Function HeldByClass() : End Function""", 1041, "a procedure over a class"
AssertError "ExecuteGlobal ""Class Mark : End Class""", 1041, "a class over a procedure"
AssertError "ExecuteGlobal ""Sub NotYetThere : End Sub : Class Mark : End Class""", 1041, "a refused text..."
AssertError "NotYetThere", 13, "...declares none of its names"
ExecuteGlobal "Function Grow(a, b) : Grow = a * b : End Function"
AssertError "x = UsesGrow()", 450, "an earlier call checks its arguments against the new definition"
' Inside a method, code that Eval and Execute run may name Me.
Class EvalsMe
    Private m_count
    Public Function Twice() : Twice = 2 * m_count : End Function
    Public Function Run()
        m_count = 4
        Execute "Me.Bump"
        Run = Eval("Me.Twice()")
    End Function
    Public Sub Bump : m_count = m_count + 1 : End Sub
End Class
Dim methodHost
Set methodHost = New EvalsMe
AssertEq methodHost.Run(), 10, "Me inside Eval and Execute in a method"
AssertSummary
