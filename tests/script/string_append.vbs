' s = s & ... appends to s's own text when nothing else holds it; every other holder keeps its value.

Function LocalChain()
    Dim s, i, piece
    piece = "ab"
    s = ""
    For i = 1 To 3
        s = s & piece & i & ","
    Next
    LocalChain = s
End Function
AssertEq LocalChain(), "ab1,ab2,ab3,", "a chain of pieces appended to a local"

Dim g, copy
g = "x"
copy = g
g = g & "y" & "z"
AssertEq copy, "x", "a copy taken before the append keeps its text"
AssertEq g, "xyz", "a global appended to by a chain"
copy = g
g = g & g
AssertEq g, "xyzxyz", "a variable appended to itself"
AssertEq copy, "xyz", "the copy of a variable appended to itself"
g = g & Null & 1 & True & Empty & 2.5
AssertEq g, "xyzxyz1True2.5", "Null and Empty pieces add nothing, numbers and Booleans add their text"

Dim n
n = Null
n = n & Null
AssertTrue IsNull(n), "Null & Null stays Null"
n = n & Null & "a"
AssertEq n, "a", "a chain from Null gives text once a piece has text"
n = 12
n = n & 3 & 4
AssertEq n, "1234", "a number becomes text"
n = Empty
n = n & "e"
AssertEq n, "e", "Empty becomes text"

Dim base, joined
base = "b"
joined = base & "1" & "2" & "3"
AssertEq joined, "b123", "a chain into another variable"
AssertEq base, "b", "the chain's first operand keeps its text"
joined = (base & "1") & ("2" & "3")
AssertEq joined, "b123", "parenthesised links"

Sub AppendTo(target, piece)
    target = target & piece & "."
End Sub
Dim passed
passed = "r"
AppendTo passed, "1"
AppendTo passed, "2"
AssertEq passed, "r1.2.", "a ByRef parameter appended to"

Class Builder
    Public Text
    Public Sub Add(piece)
        Text = Text & piece & ";"
    End Sub
End Class
Dim b
Set b = New Builder
b.Add "one"
b.Add "two"
AssertEq b.Text, "one;two;", "a field appended to from its class"

Dim a(1)
a(0) = "p"
a(0) = a(0) & "q" & "r"
AssertEq a(0), "pqr", "an array element appended to"

Dim kept
kept = "k"
On Error Resume Next
kept = kept & "1" & (1 / 0)
AssertEq Err.Number, CLng(11), "a failing piece raises its error"
On Error GoTo 0
AssertEq kept, "k", "a failing piece leaves the variable unchanged"

Dim long1, i
long1 = ""
For i = 1 To 20000
    long1 = long1 & "a" & "b"
Next
AssertEq Len(long1), 40000, "many appends keep every piece"
AssertEq Mid(long1, 39999), "ab", "the last pieces are at the end"

' A piece that is an object gives its default member's text, which runs script code: here it replaces the
' very text being appended to. The text read before the piece stays the one that is joined.
Dim grown, replacer
Class ReplacesGrown
    Public Default Property Get Text
        grown = "replaced"
        Text = "+"
    End Property
End Class
Set replacer = New ReplacesGrown
grown = "ab"
grown = grown & "c"
grown = grown & replacer
AssertEq grown, "abc+", "an object piece that replaces the text appended to"
grown = ChrB(65)
grown = grown & replacer & ChrB(0)
AssertEq LenB(grown), CLng(4), "the same with a text of an odd number of bytes"
AssertEq AscB(grown), CByte(65), "whose first byte stays"
AssertSummary
