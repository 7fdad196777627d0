' A Windows host script: creates the calendar step and the in-memory cube, generates a calendar
' and prints the time dimension as JSON Lines, the form `annalex generate --output-format jsonl`
' prints, from what it reads back through the cube's objects.
'   cscript //nologo calendar.vbs sample|fiscal
Option Explicit

Dim ctrl, cube, dimension, i
Set ctrl = CreateObject("Annalex.AnnalexCtrl")
Set cube = CreateObject("Annalex.Cube")
Set dimension = cube.ensureDimension("Time")
Set ctrl.theCube = cube
Set ctrl.theTimeDimension = dimension

If WScript.Arguments(0) = "fiscal" Then
    ' Fiscal years from April 2001 to March 2003 with every level, days and months in full.
    ctrl.calendar = "fiscal"
    ctrl.levels = "Year,Quarter,Month,Week,Day"
    ctrl.txtStartDay = "01" : ctrl.txtStartMonth = "04" : ctrl.txtStartYear = "2001"
    ctrl.txtEndDay = "31" : ctrl.txtEndMonth = "03" : ctrl.txtEndYear = "2003"
    ctrl.cmbDay = 2   ' DDDD
    ctrl.cmbMonth = 2 ' MMMM
Else
    ' The sample calendar: Year and Month of 2001, the months written Jan to Dec.
    ctrl.levels = "Year,Month"
    ctrl.cmbMonth = 1 ' MMM
End If
ctrl.clickOk

Function Quote(text)
    Quote = """" & Replace(Replace(text, "\", "\\"), """", "\""") & """"
End Function

Sub PrintMembers(first, parentName)
    Dim member, line, k
    Set member = first
    Do Until member Is Nothing
        line = "{""kind"":""member"",""level"":" & Quote(member.getLevel().getName()) & _
               ",""name"":" & Quote(member.getName()) & ",""order"":" & member.getOrder() & _
               ",""parent"":" & parentName & ",""attributes"":{"
        For k = 0 To member.attributeCount() - 1
            If k > 0 Then line = line & ","
            line = line & Quote(member.attributeKey(k)) & ":" & Quote(member.attributeValue(k))
        Next
        WScript.Echo line & "}}"
        PrintMembers member.firstChild(), Quote(member.getName())
        Set member = member.nextSibling()
    Loop
End Sub

Dim hierarchy, level, definition, line, j
Set hierarchy = dimension.hierarchy(1)
WScript.Echo "{""kind"":""hierarchy"",""name"":" & Quote(hierarchy.getName()) & "}"
For i = 1 To hierarchy.levelCount()
    Set level = hierarchy.levelAt(i)
    line = "{""kind"":""level"",""name"":" & Quote(level.getName()) & ",""type"":" & _
           level.getLevelType() & ",""attributes"":["
    For j = 0 To level.attributeDefCount() - 1
        Set definition = level.attributeDef(j)
        If j > 0 Then line = line & ","
        line = line & "[" & Quote(definition.getName()) & "," & Quote(definition.getCaption()) & "]"
    Next
    WScript.Echo line & "]}"
Next
PrintMembers hierarchy.firstRoot(), "null"
