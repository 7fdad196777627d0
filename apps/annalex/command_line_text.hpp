#pragma once
// The command line's text. The program reads its arguments as UTF-8, like every text of the
// product: on Windows from the wide command line (an ANSI argv would have lost every character
// outside the code page, so that --output or --holidays named another file), elsewhere argv as
// it is. The settings functions keep the system's ANSI registry and profile calls, so their
// arguments go back to the ANSI code page, as Windows would have given them.

#include <string>
#include <vector>

namespace annalex::cli {

// The program's arguments, program name first, as UTF-8.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// UTF-8 text in the ANSI code page (Windows; characters it lacks become its default
// character); the text itself elsewhere.
std::string ansiText(const std::string& utf8);

}  // namespace annalex::cli
