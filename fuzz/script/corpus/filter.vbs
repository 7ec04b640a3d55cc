Function ElementInvoked(Index)
    If CurrentEvents.EventType(Index) = 3 Then CurrentEvents.EventPosX(Index + 1) = 5
    Set c = StoredEvents.CloneEvents()
    c.AddEvent 1, True, 2, 3, 4
    ElementInvoked = (Index Mod 2 = 0)
End Function
