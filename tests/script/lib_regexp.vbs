' New RegExp: properties, Test, Execute with its Matches and SubMatches, Replace, and pattern errors.
Dim re, ms, m
Set re = New RegExp
AssertEq TypeName(re), "IRegExp2", "TypeName of a RegExp"
Set re = CreateObject("VBScript.RegExp")
AssertEq TypeName(re), "IRegExp2", "CreateObject makes a RegExp too"
Set re = New RegExp
AssertEq re.Pattern, "", "Pattern starts empty"
AssertEq re.Global, False, "Global starts off"
AssertEq re.IgnoreCase, False, "IgnoreCase starts off"
AssertEq re.Multiline, False, "Multiline starts off"

re.Pattern = "^\d{3}-\d{4}$"
AssertTrue re.Test("555-1234"), "Test of a whole-string pattern"
AssertTrue Not re.Test("555-12345"), "anchors bind both ends"
re.Pattern = "hello"
AssertTrue Not re.Test("HELLO there"), "case matters by default"
re.IgnoreCase = True
AssertTrue re.Test("HELLO there"), "IgnoreCase"

re.Pattern = "(\w+)@(\w+)\.com"
re.IgnoreCase = False
Set ms = re.Execute("mail a@b.com or c@d.com")
AssertEq ms.Count, CLng(1), "without Global only the first match"
re.Global = True
Set ms = re.Execute("mail a@b.com or c@d.com")
AssertEq TypeName(ms), "IMatchCollection2", "Execute gives a Matches collection"
AssertEq ms.Count, CLng(2), "Global finds every match"
Set m = ms(1)
AssertEq m.Value, "c@d.com", "Match.Value"
AssertEq "" & m, "c@d.com", "Value is the default member"
AssertEq VarType(m), vbString, "VarType of a match is the type of its Value"
AssertEq VarType(ms), vbObject, "a Matches collection has no argument-free default member"
AssertEq m.FirstIndex, CLng(16), "FirstIndex counts from 0"
AssertEq m.Length, CLng(7), "Length"
AssertEq m.SubMatches.Count, CLng(2), "SubMatches.Count"
AssertEq m.SubMatches(0), "c", "the first submatch"
AssertEq m.SubMatches.Item(1), "d", "SubMatches.Item"
AssertEq ms.Item(0).SubMatches(1), "b", "Item of the collection"
AssertError "Set x = ms(2)", 5, "an index past the last match"

Dim found
found = ""
For Each m In ms
    found = found & m.FirstIndex & ";"
Next
AssertEq found, "5;16;", "For Each over the matches"
Dim subs
subs = ""
For Each m In re.Execute("x@y.com")(0).SubMatches
    subs = subs & m & ","
Next
AssertEq subs, "x,y,", "For Each over the submatches"

re.Pattern = "(a)|(b)"
Set m = re.Execute("b")(0)
AssertTrue IsEmpty(m.SubMatches(0)), "a group that took no part is Empty"
AssertEq m.SubMatches(1), "b", "the group that matched"

re.Pattern = "(\w+)\s(\w+)"
AssertEq re.Replace("john smith", "$2, $1"), "smith, john", "Replace with group references"
AssertEq re.Replace("a b c d", "[$&]"), "[a b] [c d]", "Replace every match with $&"
AssertEq re.Replace("x y", "$$1"), "$1", "$$ is a dollar sign"
re.Global = False
AssertEq re.Replace("a b c d", "-"), "- c d", "Replace without Global changes the first match"
re.Pattern = "x*"
re.Global = True
AssertEq re.Replace("abc", "-"), "-a-b-c-", "empty matches between every character"
AssertEq re.Execute("abc").Count, CLng(4), "empty matches are counted once per position"

re.Pattern = "^b"
AssertTrue Not re.Test("a" & vbLf & "b"), "^ matches only at the start without Multiline"
re.Multiline = True
AssertTrue re.Test("a" & vbLf & "b"), "^ matches after a line break with Multiline"
re.Pattern = "<.+?>"
re.Multiline = False
AssertEq re.Execute("<a><b>")(0).Value, "<a>", "lazy quantifier"
re.Pattern = "\bcat\b"
AssertEq re.Execute("concat cat").Item(0).FirstIndex, CLng(7), "word boundaries"
re.Pattern = "(['""])(.*?)\1"
AssertEq re.Execute("say 'hi' or ""yo""")(1).SubMatches(1), "yo", "backreference to the opening quote"
re.Pattern = "q(?!u)"
AssertEq re.Execute("quit qat")(0).FirstIndex, CLng(5), "negative lookahead"

AssertError "re.Pattern = ""(a"" : re.Test ""a""", 5020, "unclosed group"
AssertError "re.Pattern = ""[a"" : re.Test ""a""", 5019, "unclosed class"
AssertError "re.Pattern = ""a**"" : re.Test ""a""", 5018, "quantifier after a quantifier"
AssertError "re.Pattern = ""[z-a]"" : re.Test ""a""", 5021, "reversed range"

' A long subject and a pathological pattern neither crash nor hang the script.
re.Pattern = "(a|b)*c"
AssertTrue re.Test(String(100000, "a") & "c"), "long input"
re.Pattern = "(x+x+)+y"
AssertError "re.Test String(60, ""x"")", 5, "runaway backtracking stops with an error"
AssertSummary
