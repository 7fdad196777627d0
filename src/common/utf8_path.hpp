#pragma once
// File names are UTF-8 text throughout the product. The places that open or name a file turn
// that text into a std::filesystem::path and back with these: on Windows, whose narrow file
// functions read the ANSI code page, the path then holds wide characters and every character
// reaches the file system; on POSIX the bytes pass unchanged.

#include <filesystem>
#include <string>
#include <string_view>

namespace annalex {

std::filesystem::path utf8Path(std::string_view text);
std::string utf8Text(const std::filesystem::path& path);

// open(2) of a path (_wopen on Windows): a descriptor, or -1 with errno set.
int openPath(const std::filesystem::path& path, int flags, int mode = 0);

}  // namespace annalex
