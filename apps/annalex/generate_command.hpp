#pragma once
// `annalex generate`: generates a calendar dimension from the command line by working the
// calendar page as a person would (date boxes in tab order, formats, levels, calendar type,
// OK), then saves the cube (with --db) and prints the time dimension.
//
// Exit status: 0 the calendar was generated and nothing went to the error trap; 1 OK ended
// without generating (a message says why); 2 usage error; 3 a failure went to the error trap
// (its report is printed on standard error; the dimension is still printed when the calendar
// was generated); 4 the cube store or the output file could not be read or written.

#include <CLI/CLI.hpp>

namespace annalex::cli {

void addGenerateCommand(CLI::App& app, int& exitStatus);

}  // namespace annalex::cli
