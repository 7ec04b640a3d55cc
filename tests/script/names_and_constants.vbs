Option Explicit
' Constants every script may use, under Option Explicit, and names in error messages.

AssertEq vbDataObject, 13, "vbDataObject"
Dim buttons
buttons = Array(vbOKOnly, vbOKCancel, vbAbortRetryIgnore, vbYesNoCancel, vbYesNo, vbRetryCancel)
AssertEq Join(buttons, ","), "0,1,2,3,4,5", "MsgBox button sets"
AssertEq vbCritical + vbQuestion + vbExclamation + vbInformation, 160, "MsgBox icons"
AssertEq vbQuestion, 32, "vbQuestion"
AssertEq vbExclamation, 48, "vbExclamation"
AssertEq Join(Array(vbDefaultButton1, vbDefaultButton2, vbDefaultButton3, vbDefaultButton4), ","), "0,256,512,768", _
    "MsgBox default buttons"
AssertEq vbApplicationModal, 0, "vbApplicationModal"
AssertEq vbSystemModal, 4096, "vbSystemModal"
AssertEq Join(Array(vbOK, vbCancel, vbAbort, vbRetry, vbIgnore, vbYes, vbNo), ","), "1,2,3,4,5,6,7", "MsgBox results"
AssertEq vbBlack, CLng(0), "vbBlack"
AssertEq vbRed, CLng(255), "vbRed"
AssertEq vbGreen, CLng(65280), "vbGreen"
AssertEq vbYellow, CLng(65535), "vbYellow"
AssertEq vbBlue, CLng(16711680), "vbBlue"
AssertEq vbMagenta, CLng(16711935), "vbMagenta"
AssertEq vbCyan, CLng(16776960), "vbCyan"
AssertEq vbWhite, CLng(16777215), "vbWhite"
AssertEq MsgBox("continue?", vbYesNo + vbQuestion + vbDefaultButton2, "title") > 0, True, "MsgBox takes them"

' Error messages name the variable as it is written.
Dim description
Sub UsesUndeclared()
    UndeclaredThing = 1
End Sub
On Error Resume Next
description = ""
UsesUndeclared
description = Err.Description
On Error GoTo 0
AssertEq description, "Variable is undefined: 'UndeclaredThing'", "undefined variable keeps its spelling"

AssertSummary
