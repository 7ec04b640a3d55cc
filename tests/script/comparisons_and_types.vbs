' Results that used to come out silently wrong: comparisons with literals, conversions of text,
' result subtypes, arrays and the headers of blocks under On Error Resume Next.

' A literal on one side of a comparison makes text on the other side a number.
Dim x, n, s
x = "0"
AssertEq x > 30, False, "text variable against a number literal compares as numbers"
AssertEq x < 30, True, "and in the other direction"
AssertEq "42" = 42, True, "text literal equals the number literal"
AssertEq 42 = "42.0", True, "number literal equals text of the same number"
AssertEq x = -1, False, "a negated literal is a literal too"
n = 0
AssertEq n = "", False, "number variable against a text literal compares as text, without error"
n = 10
AssertEq n = "10", True, "number variable equals the text literal of its value"
s = "True"
AssertEq s = True, True, "text variable against True reads the Boolean word"
n = True
AssertEq n = "True", True, "Boolean variable against a text literal compares as text"
AssertError "b = (""maybe"" = False)", 13, "text that is no Boolean word against a Boolean literal"
n = 5 : s = "4"
AssertEq n < s, True, "number variable against text variable: a number is less than any text"
AssertEq s > n, True, "text variable against number variable"
AssertError "b = (""abc"" = 5)", 13, "text that is no number against a literal raises 13"
AssertError "b = (x = ""abc"") : b = (5 = ""abc"")", 13, "in either order"

' Only numeric text converts to a number.
AssertError "v = CInt(""TRUE"")", 13, "CInt of a Boolean word"
AssertError "v = CLng(""False"")", 13, "CLng of a Boolean word"
AssertError "v = CDbl(""true"")", 13, "CDbl of a Boolean word"
AssertError "v = ""True"" + 1", 13, "arithmetic on a Boolean word"
AssertEq CBool("TRUE"), True, "CBool still reads the words"
AssertEq CInt(" 12 "), 12, "numeric text with blanks converts"

' Result subtypes.
AssertEq VarType(Empty And Empty), vbLong, "Empty And Empty is a Long"
AssertEq VarType(&h10&), vbLong, "a trailing & makes a Long"
AssertEq VarType(&h10), vbInteger, "a short hex literal is an Integer"
AssertEq VarType(Round(True)), vbInteger, "Round of a Boolean is an Integer"
AssertEq Round(True), -1, "and keeps its value"
AssertEq VarType(AscB("A")), vbByte, "AscB gives a Byte"

' For Each over a multi-dimensional array walks with the first index fastest.
Dim grid(1, 2), walked, item, i, j
For i = 0 To 1
    For j = 0 To 2
        grid(i, j) = i & j
    Next
Next
walked = ""
For Each item In grid
    walked = walked & item & " "
Next
AssertEq walked, "00 10 01 11 02 12 ", "storage order of a two-dimensional array"
Dim cube(1, 1, 1)
cube(1, 0, 0) = "second" : cube(0, 1, 0) = "third" : cube(0, 0, 1) = "fifth"
walked = ""
For Each item In cube
    walked = walked & item & ","
Next
AssertEq walked, ",second,third,,fifth,,,,", "storage order of a three-dimensional array"

' Elements of arrays held in arrays can be assigned.
Dim nested
nested = Array(Array("a", 0), Array("b", 1))
nested(0)(1) = 5
AssertEq nested(0)(1), 5, "assignment to an element of a nested array"
AssertEq nested(1)(1), 1, "the other inner array is untouched"
nested(1)(0) = nested(0)(0) & "!"
AssertEq nested(1)(0), "a!", "reading and writing nested elements in one statement"
Dim deep
deep = Array(Array(Array(1, 2)))
deep(0)(0)(1) = 9
AssertEq deep(0)(0)(1), 9, "three levels deep"
AssertError "q = Array(1) : q(0)(0) = 2", 424, "indexing a non-array element still fails"
AssertError "undeclared = Array(Array(1)) : undeclared(0)(0) = 2 : If undeclared(0)(0) <> 2 Then Err.Raise 5", 0, _
    "nested arrays in a variable that was never declared"
Sub NestedInProcedure()
    local = Array(Array(1))
    local(0)(0) = 7
    AssertEq local(0)(0), 7, "nested arrays in an implicit local"
End Sub
NestedInProcedure
Dim outer, calls
Set outer = CreateObject("Scripting.Dictionary")
outer.Add "k", CreateObject("Scripting.Dictionary")
Function KeyCounted()
    calls = calls + 1
    KeyCounted = "k"
End Function
calls = 0
outer(KeyCounted())("x") = 1
AssertEq outer("k")("x"), 1, "assignment through an object held in a collection"
AssertEq calls, 1, "the element holding the object is looked up once"

' With on something that is no object; block headers that fail under On Error Resume Next.
AssertError "With 42 : End With", 424, "With on a number raises 424"
Dim entered, hd
On Error Resume Next
entered = 0
For Each hd In 42
    entered = entered + 1
Next
AssertEq entered, 1, "For Each whose header fails runs its body once"
AssertEq Err.Number, CLng(451), "and records the error"
Err.Clear
entered = 0
With Nothing
    entered = 1
End With
AssertEq entered, 1, "With whose header fails runs its body"
Err.Clear
entered = 0
Do While 1 / 0
    entered = entered + 1
    Exit Do
Loop
AssertEq entered, 1, "Do While whose condition fails runs its body"
AssertEq Err.Number, CLng(11), "and records the error"
On Error GoTo 0

' A script class named like a built-in class does not replace it.
Class RegExp
    Public Pattern
End Class
Dim re
Set re = New RegExp
AssertEq TypeName(re), "IRegExp2", "New RegExp is still the built-in object"

' Arguments of library objects convert the way object calls convert them.
re.Pattern = "x"
re.Global = True
AssertEq re.Replace("axbx", True), "a-1b-1", "True passed as replacement text is -1"
AssertEq re.Replace("axbx", False), "a0b0", "False passed as replacement text is 0"
AssertEq re.Replace("ax", 2.5), "a2.5", "numbers as CStr prints them"

AssertSummary
