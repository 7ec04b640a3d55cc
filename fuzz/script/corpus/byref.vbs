Dim g, arr(3)
Sub Both(a, b) : a = a & "x" : b = b & g : Execute "a = a & 1" : End Sub
Function Deep(n, acc) : If n > 0 Then Deep = Deep(n - 1, acc) Else acc = acc + 1 : Deep = acc
End Function
Class K : Public F : Sub M() : Both F, F : End Sub : End Class
g = "g" : Both g, g : Both arr(1), arr(1) : Set k = New K : k.M
x = Deep(5, g)
Sub Shrink(a, e) : ReDim a(0) : e = 1 : End Sub
ReDim d(4) : Shrink d, d(3)
Function Sh(a, b) : Dim v : v = a - b * 2 + a Mod 3 : Sh = v < b : End Function
y = Sh(7, 2)
