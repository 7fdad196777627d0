#pragma once
// Whole-file reads and all-or-nothing file replacement, shared by the hive store and the INI
// files.

#include <filesystem>
#include <string>
#include <string_view>

namespace annalex::settings {

enum class ReadResult { Read, Missing, Failed };

// Reads the whole file into content; Missing when there is no such file.
ReadResult readWholeFile(const std::filesystem::path& path, std::string& content);

// Replaces target with content so that a reader sees either the old file or the new one, never
// a mixture: the content goes to a temporary file next to target, is flushed to the disk, and
// is renamed over target. A new file gets mode (less the umask); a replaced one keeps target's
// owner, group and mode. A target the caller may not write is refused (EACCES), and so is one
// whose owner the new file could not be given (EPERM). On any failure the temporary file is removed, target is left as it was, and false is
// returned, with errno telling why.
bool replaceFileAtomically(const std::filesystem::path& target, std::string_view content,
                           unsigned mode = 0600);

}  // namespace annalex::settings
