#pragma once
// Whether another process is still running, for cleaning up what killed writers left behind
// (POSIX).

#include <sys/types.h>

namespace annalex {

// True while process runs: it exists and is not a zombie that nobody has reaped yet (a killed
// process whose parent went first may linger so). Without /proc, existing counts as running.
bool processRuns(pid_t process);

}  // namespace annalex
