#include "settings/posix_profile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "settings/atomic_file.hpp"
#include "settings/exclusive_lock.hpp"
#include "settings/ini_text.hpp"
#include "settings/profile_write_error.hpp"

namespace annalex::settings {

namespace {

std::string fileText(std::string_view file) {
    std::string text;
    if (readWholeFile(std::string(file), text) != ReadResult::Read) {
        text.clear();
    }
    return text;
}

// Copies text into buffer, cut to fit with its NUL; returns the characters copied.
std::uint32_t copyOut(std::string_view text, char* buffer, std::uint32_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    const auto count = std::min<std::size_t>(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

}  // namespace

std::uint32_t PosixProfile::getProfileString(std::string_view section, std::string_view key,
                                             std::string_view defaultText, char* buffer,
                                             std::uint32_t capacity, std::string_view file) {
    if (const auto value = ini::findValue(fileText(file), section, key)) {
        return copyOut(*value, buffer, capacity);
    }
    const auto last = defaultText.find_last_not_of(' ');
    return copyOut(defaultText.substr(0, last == std::string_view::npos ? 0 : last + 1), buffer,
                   capacity);
}

std::uint32_t PosixProfile::getProfileInt(std::string_view section, std::string_view key,
                                          std::int32_t defaultValue, std::string_view file) {
    const auto value = ini::findValue(fileText(file), section, key);
    if (!value) {
        return static_cast<std::uint32_t>(defaultValue);
    }
    std::size_t pos = 0;
    const bool negative = !value->empty() && value->front() == '-';
    if (negative || (!value->empty() && value->front() == '+')) {
        pos = 1;
    }
    // Leading digits only; the result wraps to 32 bits as an unsigned number would.
    std::uint32_t number = 0;
    for (; pos < value->size() && (*value)[pos] >= '0' && (*value)[pos] <= '9'; ++pos) {
        number = number * 10 + static_cast<std::uint32_t>((*value)[pos] - '0');
    }
    return negative ? 0u - number : number;
}

std::uint32_t PosixProfile::getProfileSection(std::string_view section, char* buffer,
                                              std::uint32_t capacity, std::string_view file) {
    if (capacity < 2) {
        return 0;
    }
    std::string list;
    for (const auto& line : ini::sectionLines(fileText(file), section)) {
        list += line;
        list += '\0';
    }
    if (list.size() + 1 > capacity) {
        // Cut at capacity - 2 characters, then the two closing NULs.
        list.resize(capacity - 2);
        std::memcpy(buffer, list.data(), list.size());
        buffer[capacity - 2] = '\0';
        buffer[capacity - 1] = '\0';
        return capacity - 2;
    }
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    if (list.empty()) {
        buffer[1] = '\0';  // an empty list is two NULs
    }
    return static_cast<std::uint32_t>(list.size());
}

namespace {

// Every write reads the INI file, changes it and replaces it under an exclusive lock on its
// folder, so concurrent writers in different processes or threads lose nothing. The folder
// itself is locked rather than a lock file beside the INI file, which would be left in the
// user's folder.
int openFolderOf(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

bool PosixProfile::writeProfileString(std::string_view section, std::string_view key,
                                      std::string_view value, std::string_view file) {
    setLastProfileWriteError(0);
    const bool written = write(section, key, value, file);
    if (!written && lastProfileWriteError() == 0) {
        setLastProfileWriteError(errno != 0 ? errno : EIO);
    }
    return written;
}

bool PosixProfile::write(std::string_view section, std::string_view key, std::string_view value,
                         std::string_view file) {
    // What could not be read back is not written at all.
    if (const auto problem = ini::unwritableText(section, key, value)) {
        setLastProfileWriteError(EINVAL, *problem);
        errno = EINVAL;
        return false;
    }
    const auto target = followLinks(std::filesystem::path(file));
    if (target.empty()) {
        return false;
    }
    const ExclusiveLock lock(openFolderOf(target));
    if (!lock.held()) {
        return false;
    }
    std::string text;
    if (readWholeFile(target, text) == ReadResult::Failed) {
        return false;
    }
    return replaceFileAtomically(target, ini::withValue(text, section, key, ini::entryText(value)));
}

bool PosixProfile::findFile(std::string_view path) {
    struct stat info {};
    return !path.empty() && ::stat(std::string(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace annalex::settings
