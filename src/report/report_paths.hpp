#pragma once
// The report form's paths.
//
// The form builds its paths as the settings hold them, registry style: a directory value ends in
// "\" (one is appended when missing, so an empty value becomes "\", the root) and names are
// joined with "\" ("Error Logs\VmError.log"). On POSIX a "\" is a "/" and every name is kept as
// given, so "/opt/annalex" with "Error Logs\VmError.log" is "/opt/annalex/Error Logs/VmError.log"
// and the empty value is "/".
//
// The product spells one file name in two cases ("screenShot.bmp" when the picture is saved,
// "screenshot.bmp" when it is attached and deleted); on the original platform these are the same
// file. resolveIgnoringCase gives a path's last name the spelling of an existing entry of its
// directory when the exact spelling does not exist.

#include <string>
#include <string_view>

namespace annalex::report {

// The value with a "\" appended when it does not end in one.
std::string directoryValue(std::string value);

// A registry-style path as a POSIX path: every "\" becomes "/".
std::string posixPath(std::string_view path);

// The path itself when it exists or when its directory holds no entry whose name equals its
// last name without regard to (ASCII) case; otherwise the path with that entry's name.
std::string resolveIgnoringCase(const std::string& posixPath);

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
