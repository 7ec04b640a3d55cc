' The string functions scripts use most, in a loop: Replace, InStr, Mid, Split, Len, UCase.
Function Main()
    Dim i, s, line, parts, n
    line = "alpha,beta,gamma,delta,epsilon"
    n = 0
    For i = 1 To 200000
        s = Replace(line, "a", "A")
        n = n + InStr(s, "gAmmA") + Len(Mid(s, 3, 5))
        parts = Split(s, ",")
        n = n + UBound(parts) + Len(parts(i Mod 5))
        If UCase(parts(0)) = "ALPHA" Then n = n + 1
    Next
    Main = n
End Function
