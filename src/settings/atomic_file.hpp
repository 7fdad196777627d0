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

// The file that path leads to through symbolic links (path itself when it is not a link, or a
// link to a file that does not exist yet); empty, with errno ELOOP, for a loop of links.
std::filesystem::path followLinks(const std::filesystem::path& path);

// Reads from an open descriptor to its end into content; false when a read fails.
bool readWholeDescriptor(int fd, std::string& content);

// Replaces target with content so that a reader sees either the old file or the new one, never
// a mixture: the content goes to a temporary file next to target, is flushed to the disk, and
// is renamed over target. A new file gets mode (less the umask); a replaced one keeps target's
// owner, group and mode. A target the caller may not write is refused (EACCES), and so is one
// whose owner the new file could not be given (EPERM). A target that is a symbolic link is
// followed: the file it leads to is replaced, and the link stays. Temporary files that killed
// writers of target left behind are removed first. On any failure the temporary file
// is removed, target is left as it was, and false is returned, with errno telling why.
bool replaceFileAtomically(const std::filesystem::path& target, std::string_view content,
                           unsigned mode = 0600);

// Creates directory and any missing folder above it with mode 0700 (the umask aside): folders
// that hold settings are the user's alone. False, with errno set, on failure.
bool createPrivateDirectories(const std::filesystem::path& directory);

}  // namespace annalex::settings
