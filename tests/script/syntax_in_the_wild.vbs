' Constructs ordinary scripts use that must compile as written. Any one of them failing to compile
' stops this whole file, so each is written at top level or in a procedure of its own.

' "&h" (or "&o") followed by letters that make no literal is the & operator and a name.
Dim hi, other, ho
hi = "there"
other = "wise"
ho = "!"
AssertEq "x" &hi, "xthere", "& followed by a name starting with h"
AssertEq "x" &other, "xwise", "& followed by a name starting with o"
AssertEq "x" &ho, "x!", "& followed by a name made of h and o"
AssertEq &h1F, 31, "a hex literal still reads as one"

' Not on the right of a comparison or other binary operator.
AssertEq True <> Not True, True, "Not on the right of <>"
AssertEq 1 = Not 0, False, "Not on the right of ="
AssertEq False Or Not False, True, "Not on the right of Or"

' Operator spellings with the characters swapped.
AssertEq 3 => 3, True, "=> is >="
AssertEq 2 =< 1, False, "=< is <="
AssertEq 2 >< 1, True, ">< is <>"

' A continued line that goes on with .Member inside With.
Class Holder
    Public a, b
End Class
Dim h
Set h = New Holder
With h
    .a = 4
    .b = .a _
        + .a
    AssertEq .a + _
        .b, 12, "continuation before .Member inside With"
End With
Class Pair
    Public inner
    Public Sub Init() Set inner = New Holder End Sub
End Class
Dim pr
Set pr = New Pair
pr.Init
pr.inner.b = 8
With pr
    AssertEq .inner _
        .b, 8, "continuation before .Member of a With member"
End With
Dim chained
chained = h _
    .b
AssertEq chained, 8, "continuation before the .Member of the expression on the line before"

' End Sub / End Function / End Class / End If after a statement on the same line.
Sub OneLiner() hi = "sub ran" End Sub
Function OneLineFn() OneLineFn = 7 End Function
Class Tiny
    Public x End Class
OneLiner
AssertEq hi, "sub ran", "Sub body and End Sub on one line"
AssertEq OneLineFn(), 7, "Function body and End Function on one line"
Dim t
Set t = New Tiny
t.x = 2
AssertEq t.x, 2, "field declaration and End Class on one line"
Dim y
If False Then
    y = 1
Else y = 3 End If
AssertEq y, 3, "Else statement End If on one line"
If False Then
    y = 1
Else: y = 4
End If
AssertEq y, 4, "Else: followed by a statement"
If False Then y = 1 Else: y = 5
AssertEq y, 5, "single-line If with Else: followed by a statement"

' A Sub call whose first argument starts with a parenthesis.
Dim got
Sub Keep(v)
    got = v
End Sub
Keep (10 \ 2) + 1
AssertEq got, 6, "argument list starting with a parenthesised term"
Sub KeepSum(a, b)
    got = a + b
End Sub
KeepSum (1) * 2, 3
AssertEq got, 5, "first of two arguments starts with a parenthesis"
Keep (3)
AssertEq got, 3, "single parenthesised argument"
Keep(10 \ 2) + 1
AssertEq got, 6, "argument in parentheses right after the name, then an operator"
Keep("a") & "b"
AssertEq got, "ab", "parenthesised text argument joined after the parenthesis"
Function Tenfold(v)
    Tenfold = v * 10
End Function
Keep(Tenfold(1)) + 2
AssertEq got, 12, "nested call inside the parenthesised first argument"

' Default on a Sub, Function or Property Get.
Class WithDefaultSub
    Public v
    Public Default Sub Init(a)
        v = a
    End Sub
End Class
Class WithDefaultGet
    Public Default Property Get Item(i)
        Item = i * 2
    End Property
End Class
Dim d
Set d = New WithDefaultSub
d 5
AssertEq d.v, 5, "Public Default Sub is callable as the object"
Set d = New WithDefaultGet
AssertEq d(21), 42, "Public Default Property Get"

' A procedure defined twice: the last definition wins.
Function Twice()
    Twice = 1
End Function
Function Twice()
    Twice = 2
End Function
AssertEq Twice(), 2, "a procedure defined twice keeps the last definition"

' Runtime errors that used to be compile errors.
Dim r
On Error Resume Next
r = Randomize(0)
AssertEq Err.Number, CLng(13), "Randomize used as a value raises 13"
Err.Clear
r = .prop
AssertEq Err.Number, CLng(505), ".member outside With raises 505"
On Error GoTo 0

' Keywords as member names after a dot.
Dim dict
Set dict = CreateObject("Scripting.Dictionary")
dict.Add "k", 1
AssertEq dict.Item("k"), 1, "member access"
Class Words
    Public Function [rem]()
        [rem] = "rem"
    End Function
    Public Function [end]()
        [end] = "end"
    End Function
    Public Function [class]()
        [class] = "class"
    End Function
End Class
Dim w
Set w = New Words
AssertEq w.rem, "rem", "o.rem is a member, not a comment"
AssertEq w.end, "end", "o.end is a member"
AssertEq w.class, "class", "o.class is a member"
AssertEq w.Rem(), "rem", "o.Rem() with parentheses"

AssertSummary
