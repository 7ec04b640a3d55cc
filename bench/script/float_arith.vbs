Function Main()
    Dim i, x
    x = 0.5
    For i = 1 To 10000000
        x = x * 0.999 + i / 3.5
    Next
    Main = x
End Function
