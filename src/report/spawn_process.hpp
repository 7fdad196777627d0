#pragma once
// Starting a program with posix_spawn: no arguments beyond its own path, the working directory
// set in the child before the program runs, the environment inherited. The caller does not wait:
// a detached thread reaps the child when it ends, so no zombie is left behind.

#include "report/report_services.hpp"

namespace annalex::report {

class SpawnedProcesses final : public ProcessStarter {
  public:
    bool start(const std::string& program, const std::string& workingDirectory) override;
};

}  // namespace annalex::report
