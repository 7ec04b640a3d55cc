' Literals, comments, separators, continuation and names.
AssertEq 32767, CInt(32767), "32767 is an Integer literal"
AssertEq TypeName(32768), "Long", "32768 is a Long literal"
AssertEq TypeName(2147483647), "Long", "2147483647 is a Long literal"
AssertEq TypeName(2147483648), "Double", "2147483648 is a Double literal"
AssertEq &HFFFF, -1, "&HFFFF is the Integer -1"
AssertEq TypeName(&HFFFF), "Integer", "&HFFFF is an Integer"
AssertEq &HFFFF&, CLng(65535), "&HFFFF& is the Long 65535"
AssertEq TypeName(&HFFFF&), "Long", "trailing & makes a Long"
AssertEq &H10000, CLng(65536), "five hex digits make a Long"
AssertEq &HFFFFFFFF, CLng(-1), "&HFFFFFFFF is the Long -1"
AssertEq &O17, 15, "octal literal"
AssertEq 1.5E3, CDbl(1500), "exponent literal"
AssertEq TypeName(1.5), "Double", "a decimal literal is a Double"
AssertEq .5, 0.5, "leading decimal point"
AssertEq "say ""hi""", "say " & Chr(34) & "hi" & Chr(34), "doubled quotes in a string literal"
AssertEq Len(""), CLng(0), "empty string literal"
AssertEq TypeName(#1/2/2003#), "Date", "date literal"
AssertEq Year(#1/2/2003#) * 10000 + Month(#1/2/2003#) * 100 + Day(#1/2/2003#), 20030102, "date literal is month/day/year"
Dim lowerName
LOWERNAME = 5
AssertEq lowername, 5, "names ignore letter case"
Dim [my var]
[my var] = 7
AssertEq [my var], 7, "bracketed names may hold blanks"
a = 1 : b = 2 : c = a + b ' colon separates statements
AssertEq c, 3, "colon separator"
total = 1 + _
        2 + _
        3
AssertEq total, 6, "line continuation"
Rem a Rem comment
AssertEq 1, 1, "after a Rem comment" ' trailing comment
x = 10 ' comment after code
AssertEq x, 10, "comment after code"
AssertEq True, -1 = True, "True equals -1"
AssertEq CInt(True), -1, "True converts to -1"
AssertSummary
