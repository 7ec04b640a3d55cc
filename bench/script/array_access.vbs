Function Main()
    Dim a(999), i, j, s
    For i = 0 To 999
        a(i) = i
    Next
    s = 0
    For j = 1 To 10000
        For i = 0 To 999
            s = s + a(i)
        Next
    Next
    Main = s
End Function
