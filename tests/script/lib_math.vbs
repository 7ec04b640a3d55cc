' Math functions: subtypes kept, rounding rules, domain errors, the random sequence, Hex and Oct.
AssertEq Abs(-3), 3, "Abs of an Integer stays an Integer"
AssertEq Abs(-2.5), 2.5, "Abs of a Double"
AssertEq TypeName(Abs(CLng(-5))), "Long", "Abs keeps Long"
AssertEq TypeName(Abs(CCur(-5))), "Currency", "Abs keeps Currency"
AssertEq Abs(CInt(-32768)), CLng(32768), "Abs of the smallest Integer widens"
AssertEq Abs(Empty), 0, "Abs of Empty"
AssertEq Abs("-4"), CDbl(4), "Abs of numeric text is a Double"
AssertTrue IsNull(Abs(Null)), "Abs of Null"
AssertEq Sgn(-7.5), -1, "Sgn negative"
AssertEq Sgn(0), 0, "Sgn zero"
AssertEq Sgn(3), 1, "Sgn positive"

AssertEq Int(2.7), CDbl(2), "Int rounds down"
AssertEq Int(-2.3), CDbl(-3), "Int of a negative rounds down"
AssertEq Fix(-2.7), CDbl(-2), "Fix truncates toward zero"
AssertEq Int(7), 7, "Int of an Integer"
AssertEq Int(CCur(-1.5)), CCur(-2), "Int of Currency"
AssertEq Fix(CCur(-1.5)), CCur(-1), "Fix of Currency"
AssertTrue IsNull(Int(Null)), "Int of Null"
AssertError "x = Int(CCur(""-922337203685477.5808""))", 6, "Int of the smallest Currency overflows"
AssertEq Fix(CCur("-922337203685477.5808")), CCur("-922337203685477"), "Fix of the smallest Currency"

AssertEq Round(2.5), CDbl(2), "Round halves to even (down)"
AssertEq Round(3.5), CDbl(4), "Round halves to even (up)"
AssertEq Round(-2.5), CDbl(-2), "Round negative half to even"
AssertEq Round(2.567, 2), 2.57, "Round to two places"
AssertEq Round(0.125, 2), 0.12, "Round to places halves to even"
AssertEq Round(7), 7, "Round of an Integer"
AssertEq Round(CCur(2.5)), CCur(2), "Round of Currency halves to even"
AssertEq TypeName(Round(CSng(1.5))), "Single", "Round keeps Single"
AssertError "x = Round(1.5, -1)", 5, "Round with negative places"

AssertEq Sqr(16), CDbl(4), "Sqr"
AssertError "x = Sqr(-1)", 5, "Sqr of a negative number"
AssertEq Exp(0), CDbl(1), "Exp"
AssertError "x = Exp(1000)", 6, "Exp overflow"
AssertEq Log(Exp(2)), CDbl(2), "Log is the natural logarithm"
AssertError "x = Log(0)", 5, "Log of zero"
AssertTrue Abs(Atn(1) * 4 - 3.14159265358979) < 1E-14, "Atn(1) is a quarter of pi"
AssertTrue Abs(Sin(Atn(1) * 2) - 1) < 1E-15, "Sin of a right angle"
AssertTrue Abs(Cos(0) - 1) = 0, "Cos(0)"
AssertTrue Abs(Tan(Atn(1)) - 1) < 1E-15, "Tan of 45 degrees"
AssertError "x = Sin(Null)", 94, "trigonometry of Null"

AssertEq RGB(1, 2, 3), CLng(197121), "RGB packs red lowest"
AssertEq RGB(300, 0, 0), CLng(255), "RGB caps components at 255"
AssertError "x = RGB(-1, 0, 0)", 5, "RGB of a negative component"
AssertEq Hex(255), "FF", "Hex"
AssertEq Hex(-1), "FFFF", "Hex of an Integer shows 16 bits"
AssertEq Hex(CLng(-1)), "FFFFFFFF", "Hex of a Long shows 32 bits"
AssertEq Hex(65536), "10000", "Hex of a Long"
AssertEq Hex(10.5), "A", "Hex rounds half to even"
AssertEq Hex(Empty), "0", "Hex of Empty"
AssertTrue IsNull(Hex(Null)), "Hex of Null"
AssertEq Oct(8), "10", "Oct"
AssertEq Oct(-1), "177777", "Oct of an Integer shows 16 bits"
AssertError "x = Hex(1E+10)", 6, "Hex beyond a Long"

' The generator's documented sequence: the first numbers, a reseed with a negative argument, and Rnd(0).
Dim r1, r2
r1 = Rnd
AssertEq TypeName(r1), "Single", "Rnd returns a Single"
AssertTrue Abs(r1 - 0.7055475) < 1E-7, "first number of the sequence"
r2 = Rnd()
AssertTrue Abs(r2 - 0.533424) < 1E-6, "second number of the sequence"
AssertEq Rnd(0), r2, "Rnd(0) repeats the last number"
AssertTrue Abs(Rnd(-1) - 0.224007) < 1E-6, "Rnd(-1) reseeds"
AssertTrue Abs(Rnd(-1) - 0.224007) < 1E-6, "Rnd(-1) reseeds the same way again"
Randomize 42
r1 = Rnd
Rnd -1
Randomize 42
AssertEq Rnd, r1, "Randomize with the same number after the same reseed repeats"
AssertError "x = Rnd(1E+300)", 6, "Rnd of a number beyond a Single"
Randomize
Dim i, v, inRange
inRange = True
For i = 1 To 1000
    v = Rnd
    If v < 0 Or v >= 1 Then inRange = False
Next
AssertTrue inRange, "Rnd stays in [0, 1)"
AssertSummary
