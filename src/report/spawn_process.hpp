#pragma once
// Starting the restart program with posix_spawn. The child gets standard input, output and error
// and nothing else of ours (every other descriptor is closed before the program runs), the
// working directory asked for, the environment inherited, and this process's identity as its
// arguments:
//
//     VmRestart.exe --host-pid PID --host-start TICKS --host-program PATH
//
// TICKS is the process's start time as /proc/PID/stat gives it (clock ticks after boot), which
// no later process with the same number shares; PATH is the program /proc/self/exe names. The
// caller does not wait: a detached thread reaps the child when it ends, so no zombie is left.

#include <string>

#include "report/report_services.hpp"

namespace annalex::report {

class SpawnedRestart final : public RestartStarter {
  public:
    bool start(const std::string& program, const std::string& workingDirectory) override;
};

}  // namespace annalex::report
