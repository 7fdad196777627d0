#pragma once
// The report form's paths.
//
// The form builds its paths as the settings hold them, registry style: a directory value ends in
// "\" (one is appended when missing) and names are joined with "\" ("Error Logs\VmError.log").
// The file service (FileService::hostPath) turns such a path into the file it names on the
// system at hand.

#include <string>

namespace annalex::report {

// The value with a "\" appended when it does not end in one.
std::string directoryValue(std::string value);

// Every path the form uses, registry style, from "Installed" (I) and "ApplicationDir" (A) as
// read (the trailing "\" is added here).
struct ReportPaths {
    ReportPaths(std::string installed, std::string applicationDir);

    std::string installed;           // I, ending in "\"
    std::string applicationDir;      // A, ending in "\"
    std::string appErrorLogs;        // A + "Error Logs"
    std::string savedScreenShot;     // A + "Error Logs\screenShot.bmp"
    std::string supportingFile;      // A + "Velmora.vms"
    std::string errorLogs;           // I + "Error Logs\"
    std::string errorLog;            // I + "Error Logs\VmError.log"
    std::string attachedScreenShot;  // I + "Error Logs\screenshot.bmp"
    std::string systemDir;           // I + "System"
    std::string restartProgram;      // I + "System\VmRestart.exe"
};

}  // namespace annalex::report
