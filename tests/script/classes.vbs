' Classes: fields, methods, properties, Default, Me, Initialize and Terminate.
Dim log
Class Counter
    Private m_count
    Public Name
    Private Sub Class_Initialize()
        m_count = 0
        Name = "counter"
        log = log & "init "
    End Sub
    Private Sub Class_Terminate()
        log = log & "term "
    End Sub
    Public Sub Add(n)
        m_count = m_count + n
    End Sub
    Public Property Get Count()
        Count = m_count
    End Property
    Public Property Let Count(v)
        If v < 0 Then Err.Raise 5
        m_count = v
    End Property
    Public Default Function Describe()
        Describe = Name & "=" & m_count
    End Function
    Public Function Self()
        Set Self = Me
    End Function
    Private Function Secret()
        Secret = 1
    End Function
    Public Function CallsSecret()
        CallsSecret = Secret() + Me.Count
    End Function
End Class

Set c = New Counter
AssertEq log, "init ", "Class_Initialize runs at New"
c.Add 5
c.Add 2
AssertEq c.Count, 7, "Property Get"
c.Count = 10
AssertEq c.Count, 10, "Property Let"
AssertEq c.Name, "counter", "public field"
c.Name = "clicks"
AssertEq c(), "clicks=10", "Default member called with parentheses"
AssertEq "" & c, "clicks=10", "Default member as the object's value"
AssertTrue c.Self() Is c, "Me is the object itself"
AssertEq c.CallsSecret(), 11, "private members are reachable inside the class"
AssertEq TypeName(c), "Counter", "TypeName of an object is its class"
AssertTrue IsObject(c), "IsObject"
AssertEq VarType(c), 8, "VarType of an object with a default member is the type of that member's value"
AssertEq TypeName(c), "Counter", "while TypeName names the class"
AssertError "x = c.Secret()", 438, "private members are hidden outside"
AssertError "c.NoSuchMember", 438, "unknown member"
AssertError "c.Count = -1", 5, "errors raised in a Property Let reach the caller"
Set d = c
d.Add 1
AssertEq c.Count, 11, "objects are shared by reference"
Set c = Nothing
AssertEq log, "init ", "the object lives while another variable holds it"
Set d = Nothing
AssertEq log, "init term ", "Class_Terminate runs when the last reference goes"
AssertError "x = c.Count", 424, "member of Nothing needs an object"

Class Node
    Public Value
    Public NextNode
End Class
Set head = Nothing
For i = 1 To 3
    Set n = New Node
    n.Value = i
    Set n.NextNode = head
    Set head = n
Next
s = ""
Set p = head
Do Until p Is Nothing
    s = s & p.Value
    Set p = p.NextNode
Loop
AssertEq s, "321", "linked objects through Set fields"

Class Holder
    Private m_obj
    Public Property Set Item(o)
        Set m_obj = o
    End Property
    Public Property Get Item()
        Set Item = m_obj
    End Property
End Class
Set h = New Holder
Set h.Item = head
AssertTrue h.Item Is head, "Property Set and Get of an object"
AssertError "x = New Undeclared", 506, "New of an unknown class"
AssertError "Set x = 5", 424, "Set needs an object"
Class NoDefault
    Public Value
End Class
Class DefaultNumber
    Public Default Property Get Value()
        Value = CInt(7)
    End Property
End Class
Class DefaultObject
    Public Default Function Inner()
        Set Inner = New NoDefault
    End Function
End Class
Class DefaultNeedsArgument
    Public Default Function Item(key)
        Item = key
    End Function
End Class
Class DefaultFails
    Public Default Function Value()
        Err.Raise 5
    End Function
End Class
Set plain = New NoDefault
plain.Value = "text"
AssertEq VarType(plain), 9, "VarType of an object without a default member"
AssertEq VarType(New DefaultNumber), 2, "VarType through a default Property Get"
AssertEq VarType(New DefaultObject), 9, "a default member that gives an object"
AssertEq VarType(New DefaultNeedsArgument), 9, "a default member that needs arguments"
AssertEq VarType(New DefaultFails), 9, "a default member that fails"
AssertEq VarType(CreateObject("Scripting.Dictionary")), 9, "a dictionary (its default member needs a key)"
AssertEq VarType(Array(New DefaultNumber)), 8204, "an array of objects stays an array of variants"
' An object whose method or Property Get drops the last reference to it lives until the call returns.
Dim selfDrop, selfDropLog
Class SelfDropper
    Public v
    Sub Drop()
        Set selfDrop = Nothing
        v = 5
        Bump
        selfDropLog = selfDropLog & "ran" & v & " "
    End Sub
    Sub Bump()
        v = v + 1
    End Sub
    Public Property Get Dropped()
        Set selfDrop = Nothing
        Dropped = v
        selfDropLog = selfDropLog & "got "
    End Property
    Private Sub Class_Terminate()
        selfDropLog = selfDropLog & "term "
    End Sub
End Class
Set selfDrop = New SelfDropper
selfDrop.Drop
AssertEq selfDropLog, "ran6 term ", "a method that drops its own object ends before Class_Terminate"
selfDropLog = ""
Set selfDrop = New SelfDropper
selfDrop.v = 3
AssertEq selfDrop.Dropped, 3, "a Property Get that drops its own object returns its field"
AssertEq selfDropLog, "got term ", "the object ends after its Property Get"
AssertSummary
