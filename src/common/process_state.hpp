#pragma once
// What the system says about a process (POSIX, through /proc): whether another process is still
// running, for cleaning up what killed writers left behind, and when a process started, which
// with its number identifies it beyond doubt.

#include <sys/types.h>

#include <string>

namespace annalex {

// True while process runs: it exists and is not a zombie that nobody has reaped yet (a killed
// process whose parent went first may linger so). Without /proc, existing counts as running.
bool processRuns(pid_t process);

// When process started, in clock ticks after boot (field 22 of /proc/PID/stat), as text: no later
// process that is given the same number has the same start time. Empty when there is no such
// process (a zombie still has one) or /proc cannot be read.
std::string processStartTime(pid_t process);

}  // namespace annalex
