#include "report/report_paths.hpp"

namespace annalex::report {

std::string directoryValue(std::string value) {
    if (value.empty() || value.back() != '\\') {
        value += '\\';
    }
    return value;
}

ReportPaths::ReportPaths(std::string installedValue, std::string applicationDirValue)
    : installed(directoryValue(std::move(installedValue))),
      applicationDir(directoryValue(std::move(applicationDirValue))),
      appErrorLogs(applicationDir + "Error Logs"),
      savedScreenShot(applicationDir + "Error Logs\\screenShot.bmp"),
      supportingFile(applicationDir + "Velmora.vms"),
      errorLogs(installed + "Error Logs\\"),
      errorLog(installed + "Error Logs\\VmError.log"),
      attachedScreenShot(installed + "Error Logs\\screenshot.bmp"),
      systemDir(installed + "System"),
      restartProgram(installed + "System\\VmRestart.exe") {}

}  // namespace annalex::report
