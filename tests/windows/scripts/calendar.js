// A Windows host script in JScript: the same as calendar.vbs.
//   cscript //nologo calendar.js sample|fiscal
var ctrl = new ActiveXObject("Annalex.AnnalexCtrl");
var cube = new ActiveXObject("Annalex.Cube");
var dimension = cube.ensureDimension("Time");
ctrl.theCube = cube;
ctrl.theTimeDimension = dimension;

if (WScript.Arguments(0) == "fiscal") {
    // Fiscal years from April 2001 to March 2003 with every level, days and months in full.
    ctrl.calendar = "fiscal";
    ctrl.levels = "Year,Quarter,Month,Week,Day";
    ctrl.txtStartDay = "01"; ctrl.txtStartMonth = "04"; ctrl.txtStartYear = "2001";
    ctrl.txtEndDay = "31"; ctrl.txtEndMonth = "03"; ctrl.txtEndYear = "2003";
    ctrl.cmbDay = 2;   // DDDD
    ctrl.cmbMonth = 2; // MMMM
} else {
    // The sample calendar: Year and Month of 2001, the months written Jan to Dec.
    ctrl.levels = "Year,Month";
    ctrl.cmbMonth = 1; // MMM
}
ctrl.clickOk();

function quote(text) {
    return '"' + text.replace(/\\/g, "\\\\").replace(/"/g, '\\"') + '"';
}

function printMembers(member, parentName) {
    for (; member != null; member = member.nextSibling()) {
        var pairs = [];
        for (var k = 0; k < member.attributeCount(); k++) {
            pairs.push(quote(member.attributeKey(k)) + ":" + quote(member.attributeValue(k)));
        }
        WScript.Echo('{"kind":"member","level":' + quote(member.getLevel().getName()) +
                     ',"name":' + quote(member.getName()) + ',"order":' + member.getOrder() +
                     ',"parent":' + parentName + ',"attributes":{' + pairs.join(",") + "}}");
        printMembers(member.firstChild(), quote(member.getName()));
    }
}

var hierarchy = dimension.hierarchy(1);
WScript.Echo('{"kind":"hierarchy","name":' + quote(hierarchy.getName()) + "}");
for (var l = 1; l <= hierarchy.levelCount(); l++) {
    var level = hierarchy.levelAt(l);
    var definitions = [];
    for (var d = 0; d < level.attributeDefCount(); d++) {
        var definition = level.attributeDef(d);
        definitions.push("[" + quote(definition.getName()) + "," + quote(definition.getCaption()) + "]");
    }
    WScript.Echo('{"kind":"level","name":' + quote(level.getName()) + ',"type":' +
                 level.getLevelType() + ',"attributes":[' + definitions.join(",") + "]}");
}
printMembers(hierarchy.firstRoot(), "null");
