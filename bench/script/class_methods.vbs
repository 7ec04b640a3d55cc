' Method calls, property procedures and public fields of a script class.
Class Counter
    Private m_total
    Public Step

    Private Sub Class_Initialize()
        m_total = 0
        Step = 1
    End Sub

    Public Sub Add(n)
        m_total = m_total + n * Step
    End Sub

    Public Property Get Total()
        Total = m_total
    End Property

    Public Property Let Total(v)
        m_total = v
    End Property
End Class

Function Main()
    Dim c, i
    Set c = New Counter
    For i = 1 To 2000000
        c.Add i Mod 3
        If c.Total > 100000 Then c.Total = c.Total - 100000
        c.Step = 3 - c.Step
    Next
    Main = c.Total
End Function
