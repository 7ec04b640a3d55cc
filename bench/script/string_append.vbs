' Appends to a growing string in the forms scripts use: one piece, and a chain of pieces.
Function Main(n)
    Dim i, s, piece
    piece = "ab"
    s = ""
    For i = 1 To n \ 2
        s = s & piece
    Next
    For i = 1 To n \ 2
        s = s & "a" & "b"
    Next
    Main = Len(s)
End Function
