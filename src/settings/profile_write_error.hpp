#pragma once
// Why the calling thread's last profile write failed.
//
// The profile layer's write reports only success or failure, as the platform call it stands
// for, and fWriteValue and fDeleteValue report success on INI files whatever it said. A caller
// that must know, such as the command line, clears this before the call and reads it after:
// like the platform's own last-error value, it holds the cause of the last failed write (a
// POSIX errno value: EACCES, ENOSPC, EINVAL for text the file could not give back, ...) and 0
// after a write that succeeded.

#include <string>

namespace annalex::settings {

int lastProfileWriteError();
// For a write refused because of its text (EINVAL): what was wrong with it, for people
// ("the value holds a line break"); empty otherwise.
const std::string& lastProfileWriteProblem();
void setLastProfileWriteError(int error, std::string problem = {});

}  // namespace annalex::settings
