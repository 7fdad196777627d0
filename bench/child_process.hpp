#pragma once
// Runs a program as a whole process, the way a person starts it, with its output thrown away,
// and reports what it used: for benchmarks that compare whole command lines side by side.

#include <string>
#include <vector>

namespace annalex::bench {

// What a child process used.
struct ChildUsage {
    long maxRssKiB = 0;      // of the last run
    double cpuSeconds = 0;   // user and system, summed over the runs
    double wallSeconds = 0;  // summed over the runs
};

// Runs arguments (the program first, found on the PATH when it has no slash) with standard
// output and error sent to /dev/null; answers its exit status (-1 when a signal ended it) and
// adds to usage. Throws std::runtime_error when it cannot be started.
int runChild(const std::vector<std::string>& arguments, ChildUsage& usage);

// The program named by the environment variable, else fallback.
std::string programFrom(const char* variable, const char* fallback);

}  // namespace annalex::bench
