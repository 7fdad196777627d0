#pragma once
// Saves a generated cube into its store on a thread of its own while the command prints the
// dimension: both only read the cube, and neither waits for the other.
//
// The save must end whole however the printing ends. While the save runs, SIGPIPE is held back
// from the printing thread: a reader that goes away gives the printing an error (ReaderGone)
// instead of ending the program, and once the save has ended the signal held back is let
// through and ends the program as the write would have (with SIGPIPE ignored, ReaderGone goes
// on to its exit status).

#include <future>
#include <string>

#include "cube/cube_store.hpp"
#include "cube/memory_model.hpp"

#ifndef _WIN32
#include <signal.h>
#endif

namespace annalex::cli {

class SaveAlongside {
  public:
    // Starts saving cube into store, the dimension named the command's own; with no store,
    // nothing is saved and finish() returns at once.
    SaveAlongside(cube::CubeStore* store, const cube::MemoryCube& cube,
                  const std::string& dimension);
    SaveAlongside(const SaveAlongside&) = delete;
    SaveAlongside& operator=(const SaveAlongside&) = delete;
    // Waits for the save when finish() was not called; a failure of it is then printed on
    // standard error, as the command prints its failures.
    ~SaveAlongside();

    // Waits for the save; its failure (a file Failure naming the store) is thrown here.
    void finish();

  private:
    void letSignalsThrough();

    std::future<void> saving_;
#ifndef _WIN32
    sigset_t before_{};
    bool holding_ = false;
#endif
};

}  // namespace annalex::cli
