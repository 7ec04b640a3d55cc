' Sub and Function: arguments ByRef and ByVal, return values, Call, Exit, recursion, GetRef.
Sub Increment(n)
    n = n + 1
End Sub
Sub IncrementByVal(ByVal n)
    n = n + 1
End Sub
x = 1
Increment x
AssertEq x, 2, "arguments are ByRef by default"
IncrementByVal x
AssertEq x, 2, "ByVal arguments are copies"
Increment (x)
AssertEq x, 2, "parentheses around an argument pass it by value"
Call Increment(x)
AssertEq x, 3, "Call passes ByRef"
Dim arr(2)
arr(1) = 5
Increment arr(1)
AssertEq arr(1), 6, "an array element is passed ByRef"
Increment (arr(1))
AssertEq arr(1), 6, "a parenthesized array element is passed by value"
Increment x + 0
AssertEq x, 3, "an expression argument is passed by value"

Function Twice(v)
    Twice = v * 2
End Function
AssertEq Twice(21), 42, "the function name holds the result"
Function NoResult()
End Function
AssertTrue IsEmpty(NoResult()), "a function that assigns nothing returns Empty"
Function EarlyExit(v)
    EarlyExit = "before"
    If v Then Exit Function
    EarlyExit = "after"
End Function
AssertEq EarlyExit(True), "before", "Exit Function keeps the result so far"
AssertEq EarlyExit(False), "after", "without Exit Function"
Function ReadOwnResult()
    ReadOwnResult = 5
    ReadOwnResult = ReadOwnResult + 1
End Function
AssertEq ReadOwnResult(), 6, "the function's name reads its result inside it"

Function Fib(n)
    If n < 2 Then
        Fib = n
    Else
        Fib = Fib(n - 1) + Fib(n - 2)
    End If
End Function
AssertEq Fib(20), 6765, "recursion"

Function Deep(n)
    Deep = Deep(n + 1)
End Function
AssertError "x = Deep(0)", 28, "runaway recursion is out of stack space"

Sub UsesGlobal()
    counter = counter + 1
End Sub
counter = 10
UsesGlobal
AssertEq counter, 11, "procedures see global variables"
Sub ImplicitLocal()
    localOnly = 5
End Sub
ImplicitLocal
AssertTrue IsEmpty(localOnly), "an undeclared name in a procedure is its own local"

Dim calls
Sub Touch()
    calls = calls & "t"
End Sub
Touch
Call Touch
Call Touch()
AssertEq calls, "ttt", "Sub called three ways"

Function Add(a, b)
    Add = a + b
End Function
Set f = GetRef("Add")
AssertEq f(2, 3), 5, "GetRef calls the function"
AssertError "x = Add(1)", 450, "too few arguments"
AssertError "x = Add(1, 2, 3)", 450, "too many arguments"
AssertError "NotDefinedAnywhere 1", 13, "calling an unknown name is a type mismatch"
Class Adder
    Public Sub AddTo(target, ByVal amount)
        target = target + amount
        amount = 0
    End Sub
End Class
Set acc = New Adder
total = 1
amount = 5
acc.AddTo total, amount
AssertEq total, 6, "a method of a class takes ByRef arguments"
AssertEq amount, 5, "and ByVal arguments stay unchanged"
' A ByRef argument is the caller's variable itself, not a copy handed back at the end of the call.
Dim shared
Function SetArgReadGlobal(arg)
    arg = "through the argument"
    SetArgReadGlobal = shared
    shared = "through the global"
End Function
shared = "start"
AssertEq SetArgReadGlobal(shared), "through the argument", "a global reads what was assigned to its ByRef argument"
AssertEq shared, "through the global", "the last assignment wins, whichever name it went through"
Sub AddBoth(a, b)
    a = a + 1
    b = b + 10
End Sub
both = 0
AddBoth both, both
AssertEq both, 11, "the same variable passed twice is one variable"
Function LocalTwice()
    Dim v
    v = 1
    AddBoth v, v
    LocalTwice = v
End Function
AssertEq LocalTwice(), 12, "a local passed twice is one variable"
Sub PassesOn(v)
    AddBoth v, v
End Sub
onward = 0
PassesOn onward
AssertEq onward, 11, "a ByRef argument passed on ByRef still names the caller's variable"
Sub SetThenFail(v)
    v = "assigned"
    Err.Raise 5
End Sub
failed = "before"
On Error Resume Next
SetThenFail failed
AssertEq Err.Number, CLng(5), "the error reached the caller"
On Error GoTo 0
Err.Clear
AssertEq failed, "assigned", "an assignment to a ByRef argument stays when the procedure then fails"
Sub ExecuteAssigns(v)
    Execute "v = v & ""+executed"""
    AssertEq Eval("v"), "in+executed", "Eval reads a ByRef argument"
End Sub
viaExecute = "in"
ExecuteAssigns viaExecute
AssertEq viaExecute, "in+executed", "Execute in a procedure assigns through a ByRef argument"
Class Tally
    Public Value
    Public Sub BumpTwice()
        AddBoth Value, Value
    End Sub
End Class
Set bumped = New Tally
bumped.Value = 0
bumped.BumpTwice
AssertEq bumped.Value, 11, "a field passed twice from its own class is one variable"
Sub Shrinks(arr, element)
    ReDim arr(0)
    element = "late"
End Sub
ReDim shrinking(5)
Shrinks shrinking, shrinking(4)
AssertEq UBound(shrinking), CLng(0), "an array resized while its element is a ByRef argument"
AssertTrue IsEmpty(shrinking(0)), "the element's write-back does not land on another element"
AssertSummary
