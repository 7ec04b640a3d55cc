' Byte functions: a text seen as the bytes it is held in, two per character, low byte first. A cut
' between the two bytes of a character gives a text of an odd number of bytes, which joins byte-wise.

AssertEq LenB("ABC"), CLng(6), "LenB counts two bytes per character"
AssertEq LenB(LeftB("ABC", 3)), CLng(3), "LeftB keeps an odd number of bytes"
AssertEq Len(LeftB("ABC", 3)), CLng(1), "Len counts whole characters only"
AssertEq Len(ChrB(65)), CLng(0), "a single byte is no whole character"
AssertEq LenB(ChrB(65)), CLng(1), "ChrB makes one byte"
AssertEq VarType(ChrB(65)), vbString, "ChrB makes a String"
AssertEq LenB(Null), Null, "LenB of Null"

' Joining: every way the interpreter joins text must pair the bytes up again.
AssertEq ChrB(65) & ChrB(0), "A", "two bytes make one character"
AssertEq LenB(ChrB(65) & ChrB(0)), CLng(2), "the joined bytes are whole"
AssertEq ChrB(72) & ChrB(0) & ChrB(105) & ChrB(0), "Hi", "a chain of joins"
AssertEq ChrB(65) + ChrB(0), "A", "+ joins text too"
AssertEq LenB(Null & ChrB(65)), CLng(1), "Null joins as nothing"
AssertEq LenB(ChrB(0) & 1), CLng(3), "a number joins as its text"
AssertEq "A" & ChrB(66) & ChrB(0), "AB", "whole text, then bytes"
AssertEq ChrB(0) & "A" & ChrB(0), ChrW(&H4100) & ChrW(0), "bytes shift the text after them"
Dim t, i
t = ""
For i = 1 To 3
    t = t & ChrB(66)
Next
AssertEq LenB(t), CLng(3), "appending single bytes in a loop"
t = t & ChrB(0)
AssertEq t, ChrW(&H4242) & "B", "the fourth byte completes the second character"
t = ChrB(72)
t = t & ChrB(0) & ChrB(105) & ChrB(0)
AssertEq t, "Hi", "an append statement with several pieces"

t = ChrB(65)
t = t & "BC"
AssertEq LenB(t), CLng(5), "whole characters appended to a single byte"
AssertEq t, ChrW(&H4241) & ChrW(&H4300) & ChrB(0), "shift by one byte"
t = t & ChrB(1)
AssertEq t, ChrW(&H4241) & ChrW(&H4300) & ChrW(&H100), "the next byte makes the text whole again"
Dim shared
t = ChrB(7)
shared = t
t = t & ChrB(8)
AssertEq LenB(shared), CLng(1), "appending leaves a copy of the text as it was"
AssertEq t, ChrW(&H807), "and gives the joined text"
t = ChrB(1)
AssertEq (t & ChrB(2)) & ChrB(3) & ChrB(4), ChrW(&H201) & ChrW(&H403), "a chain starting with a byte"

Function Pass(v)
    Pass = v
End Function
AssertEq LenB(Pass(ChrB(1))), CLng(1), "an odd byte count survives a call"

' Slicing by bytes.
AssertEq LeftB("ABC", 4), "AB", "LeftB of whole characters"
AssertEq LeftB("ABC", 0), "", "LeftB of no bytes"
AssertEq LeftB("ABC", 99), "ABC", "LeftB past the end"
AssertEq LeftB(Null, 1), Null, "LeftB of Null"
AssertEq LenB(RightB("ABC", 3)), CLng(3), "RightB keeps an odd number of bytes"
AssertEq AscB(RightB("ABC", 3)), CByte(0), "RightB starts inside a character"
AssertEq RightB("ABC", 99), "ABC", "RightB past the start"
AssertEq MidB("ABC", 3), "BC", "MidB to the end"
AssertEq MidB("ABC", 2, 2), ChrW(&H4200), "MidB from the high byte of a character"
AssertEq MidB("ABC", 7), "", "MidB past the end"
AssertError "x = MidB(""ABC"", 0)", 5, "MidB start below 1"
AssertError "x = LeftB(""ABC"", -1)", 5, "LeftB negative length"

' Single bytes.
AssertEq AscB(ChrB(200)), CByte(200), "AscB of a single byte"
AssertEq AscB(ChrW(&H4142)), CByte(&H42), "AscB takes the low byte"
AssertError "x = AscB("""")", 5, "AscB of no bytes"
AssertError "x = AscB(Null)", 94, "AscB of Null"
AssertError "x = ChrB(256)", 5, "ChrB above a byte"
AssertError "x = ChrB(-1)", 5, "ChrB below a byte"

' Searching by bytes: positions may fall inside a character.
AssertEq InStrB("ABC", ChrB(66)), CLng(3), "InStrB finds a byte"
AssertEq InStrB("ABC", ChrB(0)), CLng(2), "InStrB finds a high byte"
AssertEq InStrB(3, "ABC", ChrB(0)), CLng(4), "InStrB from a byte position"
AssertEq InStrB("ABC", ""), CLng(1), "InStrB of no bytes"
AssertEq InStrB(7, "ABC", "B"), CLng(0), "InStrB starting past the end"
AssertEq InStrB(1, "aBc", "b", vbTextCompare), CLng(3), "InStrB ignoring case"
AssertEq InStrB(1, "aBc", "b", vbBinaryCompare), CLng(0), "InStrB comparing binary"
AssertEq InStrB("ABC", Null), Null, "InStrB with Null"

AssertSummary

' A text with an odd byte is not equal to the same text without it.
AssertTrue ChrB(65) <> "", "one byte is not the empty text"
AssertTrue Not (ChrB(65) = Empty), "one byte is not Empty"
AssertTrue LeftB("ABC", 3) > "A", "the odd byte makes the text greater"
AssertTrue LeftB("ABC", 3) < "AB", "a byte is less than a whole character"
AssertTrue ChrB(65) < ChrB(66), "odd bytes compare by value"
AssertTrue StrComp(LeftB("ABC", 3), "A", vbTextCompare) = 1, "also in text comparison"
