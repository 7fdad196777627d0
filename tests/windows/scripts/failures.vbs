' Failing calls as a Windows host script sees them: each line names the call, then the
' Err.Number and Err.Description it raised.
'   cscript //nologo failures.vbs
Option Explicit
On Error Resume Next

Dim ctrl, cube, dimension, member
Set ctrl = CreateObject("Annalex.AnnalexCtrl")
Set cube = CreateObject("Annalex.Cube")
Set dimension = cube.ensureDimension("Time")

Sub Report(what)
    WScript.Echo what & ": " & Err.Number & " " & Err.Description
    Err.Clear
End Sub

' The page's inputs check what a host gives them.
ctrl.cmbMonth = 7 : Report "ctrl.cmbMonth = 7"
ctrl.levels = "Year,Decade" : Report "ctrl.levels = ""Year,Decade"""
ctrl.calendar = "lunar" : Report "ctrl.calendar = ""lunar"""

' The in-memory cube's failures carry their catalogue numbers.
dimension.hierarchy 3 : Report "dimension.hierarchy 3"
Set member = CreateObject("Annalex.Member")
member.setAttribute "YearLeapYear", "No" : Report "member.setAttribute"
CreateObject("Annalex.Level").addRootMember member : Report "level.addRootMember member"
member.getParent : Report "member.getParent"
member.putParent cube : Report "member.putParent cube"
