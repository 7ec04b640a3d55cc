Function Main()
    Dim i, s
    s = 0
    For i = 1 To 5000000
        Select Case i Mod 5
            Case 0: s = s + 1
            Case 1: s = s + 2
            Case 2: s = s + 3
            Case 3: s = s + 4
            Case Else: s = s + 5
        End Select
    Next
    Main = s
End Function
