#include "report/report_paths.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace annalex::report {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string directoryValue(std::string value) {
    if (value.empty() || value.back() != '\\') {
        value += '\\';
    }
    return value;
}

std::string posixPath(std::string_view path) {
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

std::string resolveIgnoringCase(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        return path;
    }
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) {
        return path;
    }
    // A missing directory is no failure here: the caller's own operation reports the path.
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(directory.c_str()), ::closedir);
    if (!entries) {
        return path;
    }
    while (const dirent* entry = ::readdir(entries.get())) {
        if (sameIgnoringCase(entry->d_name, name)) {
            return (slash == std::string::npos ? "" : directory) + entry->d_name;
        }
    }
    return path;
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
