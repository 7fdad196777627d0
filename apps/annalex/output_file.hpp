#pragma once
// Writes a program's output to standard output, or to a file that appears whole or not at all:
// the text goes to a temporary file beside it, which is flushed and renamed over the target.
// A target that exists and is not a regular file (a device such as /dev/null, a pipe) is
// written in place.

#include <functional>
#include <ostream>
#include <string>

namespace annalex::cli {

// An empty path or "-" means standard output. A failure raises a file Failure naming the path; the
// target is then left as it was.
void writeOutput(const std::string& path, const std::function<void(std::ostream&)>& write);

}  // namespace annalex::cli
