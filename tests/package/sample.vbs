' Prints what the package test compares: arithmetic, text and the arguments.
WScript.Echo "sum " & (1.5 + 2) & " of " & WScript.Arguments.Count & " " & UCase(WScript.Arguments(0))
