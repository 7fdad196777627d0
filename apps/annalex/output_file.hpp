#pragma once
// Writes a program's output to standard output, or to a file that appears whole or not at all.
//
// A file is written to a new temporary file beside it (created exclusively under an
// unpredictable name, so nothing planted there is followed), flushed to the disk and renamed
// over the target. A target that is a symbolic link is written through: the file it leads to
// is replaced in its own folder and the link stays. A replaced file keeps its owner, group and
// mode; one the user may not write, or whose owner could not be kept, is refused. A target
// that exists and is not a regular file (a device such as /dev/null, a pipe) is written in
// place.
//
// Every write is checked, to standard output as to a file, and so is the final flush and close
// of standard output.

#include <functional>
#include <ostream>
#include <streambuf>
#include <string>

#include "descriptor_stream.hpp"

namespace annalex::cli {

// The reader of standard output, or of a pipe that --output names, has gone while SIGPIPE is
// ignored. The program then ends quietly with kReaderGoneStatus, the status a shell shows for a
// program that SIGPIPE ended, as it would have without the signal ignored.
struct ReaderGone {};
inline constexpr int kReaderGoneStatus = 128 + 13;  // 13 is SIGPIPE

// An empty path or "-" means standard output. A failure raises a file Failure naming the path,
// or standard output; a file is then left as it was, and no temporary file is left.
// beforeReplacing, when given, is called once a file's replacement is whole, before it takes
// the file's place; what it throws leaves the file as it was too.
void writeOutput(const std::string& path, const std::function<void(std::ostream&)>& write,
                 const std::function<void()>& beforeReplacing = {});

// Standard output while the program runs: std::cout writes through a buffer over descriptor 1
// that checks each write and keeps the cause of the first failure (the C library's stream
// would lose it), and the program's end flushes and closes it.
class StandardOutput {
  public:
    StandardOutput();
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;
    // Gives std::cout its own buffer back.
    ~StandardOutput();

    // Writes out what std::cout holds and closes standard output, so that a write error that
    // only shows now still counts: a file Failure naming standard output, or ReaderGone.
    void close();

  private:
    DescriptorStream stream_;
    std::streambuf* previous_;
};

}  // namespace annalex::cli
