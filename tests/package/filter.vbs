' Runs the even events of the list and skips the others.
Function ElementInvoked(Index)
    ElementInvoked = (Index Mod 2 = 0)
End Function
