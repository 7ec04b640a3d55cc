' CreateObject("Scripting.Dictionary"): adding, reading, renaming, removing, enumerating, compare modes, errors.
Dim d, k, keys, items, s
Set d = CreateObject("Scripting.Dictionary")
AssertEq TypeName(d), "Dictionary", "TypeName of a Dictionary"
AssertEq d.Count, CLng(0), "a new Dictionary is empty"
d.Add "b", 2
d.Add "a", 1
d.Add 3, "three"
AssertEq d.Count, CLng(3), "Count after Add"
AssertEq d.Item("a"), 1, "Item"
AssertEq d("b"), 2, "Item is the default member"
AssertEq d(3), "three", "a numeric key"
AssertTrue d.Exists("a"), "Exists of a key"
AssertTrue Not d.Exists("A"), "keys compare binary by default"
AssertTrue d.Exists(CLng(3)), "numeric keys compare by value"
AssertTrue Not d.Exists("3"), "a number and its text are different keys"

keys = d.Keys
AssertEq UBound(keys), CLng(2), "Keys gives an array"
AssertEq keys(0) & "," & keys(1) & "," & keys(2), "b,a,3", "Keys in insertion order"
items = d.Items
AssertEq items(2), "three", "Items in insertion order"
s = ""
For Each k In d
    s = s & k & "=" & d(k) & ";"
Next
AssertEq s, "b=2;a=1;3=three;", "For Each walks the keys in order"

d("a") = 10
AssertEq d("a"), 10, "assigning through Item replaces"
d.Item("c") = 30
AssertEq d.Count, CLng(4), "assigning a new key adds it"
AssertTrue IsEmpty(d("ghost")), "reading a missing key gives Empty"
AssertTrue d.Exists("ghost"), "and adds the key"
d.Key("ghost") = "spirit"
AssertTrue d.Exists("spirit") And Not d.Exists("ghost"), "Key renames"
d.Remove "spirit"
AssertTrue Not d.Exists("spirit"), "Remove"
keys = d.Keys
AssertEq keys(3), "c", "order survives rename and removal"

AssertError "d.Add ""a"", 1", 457, "adding an existing key"
AssertError "d.Remove ""nope""", 32811, "removing a missing key"
AssertError "d.Key(""nope"") = ""x""", 32811, "renaming a missing key"
AssertError "d.Key(""a"") = ""b""", 457, "renaming onto an existing key"
AssertError "d.CompareMode = vbTextCompare", 5, "CompareMode only changes while empty"

Dim o
Set o = New RegExp
Set d("obj") = o
AssertTrue d("obj") Is o, "an object item is kept by reference"
d.Add o, "by object"
AssertEq d(o), "by object", "an object key"

d.RemoveAll
AssertEq d.Count, CLng(0), "RemoveAll"
d.CompareMode = vbTextCompare
AssertEq d.CompareMode, CLng(1), "CompareMode reads back"
d.Add "Key", 1
AssertTrue d.Exists("KEY"), "text compare ignores case"
AssertError "d.Add ""kEY"", 2", 457, "text compare finds duplicates in any case"
AssertEq d.Keys()(0), "Key", "the first spelling of a key stays"

Dim big, i
Set big = CreateObject("Scripting.Dictionary")
For i = 1 To 5000
    big.Add "k" & i, i
Next
For i = 1 To 5000 Step 2
    big.Remove "k" & i
Next
AssertEq big.Count, CLng(2500), "many removals"
AssertEq big("k5000"), 5000, "lookups after many removals"
AssertEq big.Keys()(0), "k2", "order after many removals"
AssertError "Set x = CreateObject(""No.Such.Thing"")", 429, "an unknown class"
AssertSummary
