' Dictionary inserts, lookups and updates: a keyed table filled, probed and counted into.
Function Main()
    Dim d, counts, i, k, s, w
    Set d = CreateObject("Scripting.Dictionary")
    For i = 1 To 200000
        d.Add "k" & i, i
    Next
    s = 0
    For i = 1 To 200000
        k = "k" & (i * 7 Mod 250000 + 1)
        If d.Exists(k) Then s = s + d(k)
    Next
    Set counts = CreateObject("Scripting.Dictionary")
    For i = 1 To 200000
        w = "w" & (i Mod 1000)
        If counts.Exists(w) Then
            counts(w) = counts(w) + 1
        Else
            counts.Add w, 1
        End If
    Next
    Main = s + d.Count + counts.Count + counts("w7")
End Function
