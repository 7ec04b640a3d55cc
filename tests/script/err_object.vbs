' The Err object after runtime and compile errors, Err.Raise, and the numbers argument checks raise.

' Err.Source tells runtime errors from compile errors of Execute and Eval.
Dim v
On Error Resume Next
v = 1 / 0
AssertEq Err.Source, "Microsoft VBScript runtime error", "source of a runtime error"
Err.Clear
Execute "v = (1"
AssertEq Err.Number, CLng(1006), "compile error in Execute"
AssertEq Err.Source, "Microsoft VBScript compilation error", "source of a compile error in Execute"
Err.Clear
v = Eval("1 + ")
AssertEq Err.Number, CLng(1002), "an expression that stops short is a syntax error to Eval"
AssertEq Err.Description, "Syntax error", "with its text"
AssertEq Err.Source, "Microsoft VBScript compilation error", "source of a compile error in Eval"
On Error GoTo 0

' Err.Raise without source or description keeps what Err still holds.
On Error Resume Next
v = 1 / 0
Err.Raise 5
AssertEq Err.Number, CLng(5), "Raise sets the number"
AssertEq Err.Description, "Division by zero", "Raise without description keeps the one still set"
Err.Raise 6, "MySource"
AssertEq Err.Source, "MySource", "Raise with a source"
Err.Raise 7
AssertEq Err.Source, "MySource", "a later Raise without source keeps it"
Err.Clear
Err.Raise 9
AssertEq Err.Description, "Subscript out of range", "after Clear the standard description"
AssertEq Err.Source, "Microsoft VBScript runtime error", "after Clear the standard source"
Err.Clear
Err.Raise 1000
AssertEq Err.Description, "Application-defined or object-defined error", "a script's own 1000 is no time-out"
Err.Raise 424
AssertEq Err.Description, "Application-defined or object-defined error", "a held generic description is kept too"
Err.Clear
Err.Raise 1001 + vbObjectError, "App", "custom"
AssertEq Err.Number, vbObjectError + 1001, "application numbers stay as raised"
AssertEq Err.Description, "custom", "with their description"
On Error GoTo 0

' Raised result codes map to the language's numbers.
AssertError "Err.Raise &H8007000E", 7, "out of memory result"
AssertError "Err.Raise &H800A0009", 9, "the language's own facility"
AssertError "Err.Raise &H80020005", 13, "type mismatch result"
AssertError "Err.Raise &H80070057", 5, "invalid argument result"
AssertError "Err.Raise &H800A0000", 5, "a result code standing for 0 is an invalid call"
On Error Resume Next
Err.Raise &H8007000E
AssertEq Err.Description, "Out of memory", "a mapped number has its text"
On Error GoTo 0

' Execute runs text only.
AssertError "Execute 42", 13, "Execute of a number"
AssertError "ExecuteGlobal 1.5", 13, "ExecuteGlobal of a number"
AssertError "Execute Empty", 0, "Execute of Empty runs nothing"

' Numbers raised by argument checks.
AssertError "v = FormatNumber(Null)", 13, "FormatNumber(Null)"
AssertError "v = FormatCurrency(Null)", 13, "FormatCurrency(Null)"
AssertError "v = Escape(Null)", 94, "Escape(Null)"
AssertError "v = UBound(Nothing)", 91, "UBound(Nothing)"
AssertError "v = LBound(Nothing)", 91, "LBound(Nothing)"
AssertError "v = UBound(5)", 13, "UBound of a number"
AssertError "v = Mid(""abc"", 0)", 5, "Mid from 0"
AssertError "v = Mid(""abc"", 1, -1)", 5, "Mid with a negative length"
AssertError "v = Join(5)", 13, "Join of a non-array"
AssertError "v = Split(""a"", "","", -2)", 5, "Split with a count below -1"
AssertError "v = InStrRev(""abc"", ""b"", 0)", 5, "InStrRev from 0"
AssertError "v = Right(""abc"", -1)", 5, "Right with a negative length"
AssertError "ReDim q(-2)", 9, "ReDim below -1"
AssertError "q = 5 : Erase q", 13, "Erase of a non-array"
AssertError "Set r = GetRef(""NoSuchProcedure"")", 5, "GetRef of an unknown name"

AssertSummary
