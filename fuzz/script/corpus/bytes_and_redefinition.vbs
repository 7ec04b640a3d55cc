Dim s, t, i
s = LeftB("ABC", 3) & ChrB(0) & MidB("xyz", 2) & RightB("pq", 1)
For i = 1 To 5 : s = s & ChrB(i) & "u" : Next
t = s : t = t & ChrB(9)
x = InStrB(2, s, ChrB(0), 1) + LenB(t) + AscB(MidB(t, 3, 1))
Function F(n) : If n = 2 Then ExecuteGlobal "Function F(n) : F = LenB(ChrB(n)) : End Function"
If n > 0 Then F = F(n - 1) + n Else F = 0
End Function
Sub Use : y = F(4) : End Sub
Use
Class Me1 : Function G : G = Eval("Me.H") : End Function : Function H : H = ChrB(1) & ChrB(1) : End Function : End Class
Set o = New Me1 : z = o.G
