Function Main()
    Dim i, s
    s = ""
    For i = 1 To 300000
        s = s & "ab"
        s = s & (i Mod 10)
    Next
    Main = Len(s)
End Function
