Function Main()
    Dim i, s
    s = 0
    For i = 1 To 15000000
        s = s + i Mod 7
    Next
    Main = s
End Function
