' A filter as people write them: ElementInvoked reads the working copy's fields, edits some and
' vetoes others. Main records a list into CurrentEvents and replays it through the filter.
Function ElementInvoked(Index)
    ElementInvoked = True
    Select Case CurrentEvents.EventType(Index)
        Case 2 ' a mouse move: shift it right, skip moves above the top edge
            CurrentEvents.EventPosX(Index) = CurrentEvents.EventPosX(Index) + 1
            If CurrentEvents.EventPosY(Index) < 10 Then ElementInvoked = False
        Case 0 ' a wait: cap it
            If CurrentEvents.EventData(Index) > 500 Then CurrentEvents.EventData(Index) = 500
        Case 3 ' a key: drop Escape
            If CurrentEvents.EventData(Index) = 27 And CurrentEvents.EventPressed(Index) Then ElementInvoked = False
    End Select
End Function

Function Main()
    Dim i, pass, runs, n
    For i = 0 To 999
        CurrentEvents.AddEvent i Mod 4, i Mod 2 = 0, i Mod 640, i Mod 480, (i * 37) Mod 1000
    Next
    n = CurrentEvents.EventCount
    runs = 0
    For pass = 1 To 1000
        For i = 0 To n - 1
            If ElementInvoked(i) Then runs = runs + 1
        Next
    Next
    Main = runs + CurrentEvents.EventPosX(2) + CurrentEvents.EventData(4)
End Function
