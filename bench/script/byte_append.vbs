' Builds a text of bytes one at a time in the forms scripts use: one piece, and a chain of pieces.
Function Main(n)
    Dim i, s
    s = ""
    For i = 1 To n \ 2
        s = s & ChrB(i Mod 256)
    Next
    For i = 1 To n \ 4
        s = s & ChrB(65) & ChrB(0)
    Next
    Main = LenB(s)
End Function
