' One member access in the source meets objects of several kinds: each kind gets its own member.

Class First
    Public a, b
End Class

Class Second
    Public b
    Public Property Get Doubled()
        Doubled = b * 2
    End Property
End Class

Dim items, o, i
Set items = CreateObject("Scripting.Dictionary")
items.Add 1, New First
items.Add 2, New Second
items.Add 3, New First
i = 0
For Each o In items.Items
    i = i + 1
    o.b = i * 10
Next
AssertEq items(1).b, 10, "a field written through a shared site, first kind"
AssertEq items(2).b, 20, "the same site writes the second kind's field of that name"
AssertEq items(3).b, 30, "and the first kind again"
AssertTrue IsEmpty(items(1).a), "the first kind's other field is untouched"
AssertEq items(2).Doubled, 40, "the second kind's property reads its own field"

Dim d
Set d = CreateObject("Scripting.Dictionary")
Dim expected
For Each o In Array(items(1), d, items(2))
    expected = 0
    If TypeName(o) = "Dictionary" Then expected = 438
    On Error Resume Next
    o.b = 7
    AssertEq Err.Number, CLng(expected), "a kind without the member raises 438 at the shared site"
    On Error GoTo 0
Next
AssertEq items(2).b, 7, "the site still writes after an object without the member"

AssertSummary
