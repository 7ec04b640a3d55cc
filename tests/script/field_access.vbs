' Fields of script objects read and written through every kind of name: from inside the class
' (bare, through Me), from outside (public only), in arithmetic, and the errors on the way.
Class Account
    Public Balance
    Public Label
    Private m_secret
    Private m_log

    Private Sub Class_Initialize()
        Balance = 0
        m_secret = 7
        m_log = ""
    End Sub

    Public Sub Deposit(amount)
        Balance = Balance + amount * m_secret
        m_log = m_log & amount & ";"
    End Sub

    Public Function Secret()
        Secret = Me.m_secret
    End Function

    Public Sub SetSecret(v)
        Me.m_secret = v
    End Sub

    Public Property Get Log()
        Log = m_log
    End Property

    Public Function Halve()
        Balance = Balance / 2
        Halve = TypeName(Balance)
    End Function
End Class

Dim acct, r
Set acct = New Account
acct.Deposit 3
acct.Deposit 2
AssertEq acct.Balance, 35, "a field updated from its own value and another field"
AssertEq acct.Log, "3;2;", "a field appended to inside the class"
AssertEq acct.Halve(), "Double", "a field takes the subtype of what is stored"
AssertEq acct.Balance, 17.5, "and keeps that value"

acct.Balance = 100
AssertEq acct.Balance, 100, "a public field written from outside"
acct.Label = "main"
acct.Label = acct.Label & "!"
AssertEq acct.Label, "main!", "a field read and written in one statement"
acct.SetSecret 3
AssertEq acct.Secret(), 3, "a private field through Me inside the class"
acct.Deposit 1
AssertEq acct.Balance, 103, "the changed private field is used by the method"

AssertError "r = acct.m_secret", 438, "a private field is not readable from outside"
AssertError "acct.m_secret = 1", 438, "a private field is not writable from outside"
AssertError "acct.Missing = 1", 438, "a field that does not exist"

Class Holder
    Public Default Property Get Value()
        Value = "inner"
    End Property
End Class

Dim box
Set box = New Holder
acct.Label = box
AssertEq acct.Label, "inner", "a Let of an object into a field stores its default value"
Set acct.Label = box
AssertTrue IsObject(acct.Label), "Set stores the object itself"
AssertError "Set acct.Balance = 5", 424, "Set of a non-object into a field"

Dim other
Set other = New Account
other.Balance = 5
acct.Balance = 1
AssertEq other.Balance + acct.Balance, 6, "fields of two objects of one class stay apart"

Function Transfer(ByRef target, amount)
    target = target + amount
End Function
Transfer acct.Balance, 10
AssertEq acct.Balance, 1, "a field passed ByRef is passed as a copy"

Dim counter
counter = 0
Sub Bump()
    counter = counter + 1
End Sub
Bump
Bump
AssertEq counter, 2, "a procedure assigns a global variable"

Sub Swap(ByRef a, ByRef b)
    Dim t
    t = a
    a = b
    b = t
End Sub
Dim x, y
x = 1
y = "two"
Swap x, y
AssertEq x & "," & y, "two,1", "assignments to ByRef parameters reach the caller's variables"

Dim fixed(1)
Sub Overwrite()
    fixed = 3
End Sub
AssertError "Overwrite", 10, "a fixed global array cannot be replaced from a procedure"

AssertSummary
