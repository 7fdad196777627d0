#pragma once
// Runs the real annalex program with arguments and collects what it printed and its status.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temporary_folder.hpp"

namespace annalex::testing {

struct ProgramRun {
    int status = -1;  // the exit status, or 128 + the signal that ended the program
    std::string out;
    std::string err;
};

// Unprivileged: when the tests run as root, the program runs as the user "nobody" (so that
// file permissions apply to it); otherwise as the current user.
enum class RunAs { Caller, Unprivileged };
// The status of a run whose privileges could not be dropped.
inline constexpr int kCannotDropPrivileges = 126;

// Resource limits for the program, 0 for none: its address space and the size of the files it
// writes, in bytes.
struct Limits {
    std::uint64_t addressSpace = 0;
    std::uint64_t fileSize = 0;
};

// Where the program's standard output goes: a file read back into ProgramRun::out, /dev/full,
// or a pipe whose reading end is already closed, with SIGPIPE left to its default action or
// ignored.
enum class StandardOutput { Captured, DeviceFull, ClosedPipe, ClosedPipeSignalIgnored };

ProgramRun runAnnalex(const std::vector<std::string>& arguments, RunAs as = RunAs::Caller,
                      Limits limits = {}, StandardOutput output = StandardOutput::Captured);

// The arguments base followed by more.
inline std::vector<std::string> with(std::vector<std::string> base,
                                     const std::vector<std::string>& more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

}  // namespace annalex::testing
