#include "report/win32_restart.hpp"

#include <windows.h>

#include "common/failure.hpp"
#include "report/win32_text.hpp"

namespace annalex::report {

bool Win32Restart::start(const std::string& program, const std::string& workingDirectory) {
    const std::string application = ansiFromUtf8(program);
    const std::string directory = ansiFromUtf8(workingDirectory);
    char commandLine[] = "";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(application.c_str(), commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process)) {
        noteSystemError(static_cast<std::int32_t>(GetLastError()));
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace annalex::report
