Function Add(a, b)
    Add = a + b
End Function

Function Main()
    Dim i, s
    s = 0
    For i = 1 To 5000000
        s = Add(s, 1)
    Next
    Main = s
End Function
