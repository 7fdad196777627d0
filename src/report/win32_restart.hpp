#pragma once
// Starting the restart program on Windows: CreateProcessA with the program's path, an empty
// command line, no handles inherited, no creation flags, the environment of this process, the
// working directory asked for and the default start-up information. The restart program finds
// its host itself: the process that started it (apps/vmrestart). The handles of the new process
// are closed at once; nothing waits for it.

#include <string>

#include "report/report_services.hpp"

namespace annalex::report {

class Win32Restart final : public RestartStarter {
  public:
    bool start(const std::string& program, const std::string& workingDirectory) override;
};

}  // namespace annalex::report
