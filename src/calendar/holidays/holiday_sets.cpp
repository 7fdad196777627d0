// Finding a holiday set by name or path, and its includes.

#include "calendar/holidays/holiday_sets.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "common/utf8_path.hpp"

#ifndef O_BINARY
#define O_BINARY 0  // POSIX reads every file as bytes
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0  // Windows has no pipes with names to block on
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

namespace annalex::calendar::holidays {
namespace {

constexpr std::string_view kBuiltinSuffix = " (built-in)";

bool isBuiltinSource(std::string_view name) {
    return name.size() > kBuiltinSuffix.size() && name.ends_with(kBuiltinSuffix);
}

std::string fileFault(const std::filesystem::path& path, const std::string& what) {
    return "holiday rules file '" + utf8Text(path) + "' " + what;
}

// The one place a rules file is opened and read. Without blocking on a pipe, only a regular
// file of at most kMaxRulesFileBytes is read; its identity is its device and inode (on Windows,
// which has no inodes, its full path).
RulesSource readFile(const std::filesystem::path& path) {
    const int fd = openPath(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_BINARY);
    if (fd < 0) {
        throw HolidayError("cannot read holiday rules file '" + utf8Text(path) + "': " +
                           std::strerror(errno) + " (not a built-in set: us, gb-eng, de, fr)");
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        throw HolidayError(fileFault(path, std::string("cannot be read: ") + std::strerror(errno)));
    }
    if (!S_ISREG(info.st_mode)) {
        throw HolidayError(fileFault(path, "is not a regular file"));
    }
    const std::string tooLarge =
        "is larger than 1 MB (" + std::to_string(kMaxRulesFileBytes) + " bytes)";
    if (static_cast<std::uint64_t>(info.st_size) > kMaxRulesFileBytes) {
        throw HolidayError(fileFault(path, tooLarge));
    }
    // The file may grow while it is read: one byte beyond the cap is enough to tell.
    std::string text(kMaxRulesFileBytes + 1, '\0');
    std::size_t length = 0;
    while (length < text.size()) {
        const auto count =
            ::read(fd, text.data() + length, static_cast<unsigned>(text.size() - length));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            throw HolidayError(
                fileFault(path, std::string("cannot be read: ") + std::strerror(errno)));
        }
        if (count == 0) {
            break;
        }
        length += static_cast<std::size_t>(count);
    }
    if (length > kMaxRulesFileBytes) {
        throw HolidayError(fileFault(path, tooLarge));
    }
    text.resize(length);
#ifdef _WIN32
    std::error_code ignored;
    std::string identity = utf8Text(std::filesystem::weakly_canonical(path, ignored));
#else
    std::string identity = std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
#endif
    return {utf8Text(path.lexically_normal()), std::move(text), "file " + identity};
}

}  // namespace

const BuiltinSet* findBuiltinSet(std::string_view name) {
    const auto sets = builtinSets();
    const auto found = std::find_if(sets.begin(), sets.end(),
                                    [&](const BuiltinSet& set) { return set.name == name; });
    return found == sets.end() ? nullptr : &*found;
}

RulesSource resolveInclude(std::string_view what, std::string_view from) {
    if (const BuiltinSet* set = findBuiltinSet(what)) {
        return {std::string(set->name) + std::string(kBuiltinSuffix), std::string(set->text),
                "set " + std::string(set->name)};
    }
    std::filesystem::path path = utf8Path(what);
    if (path.is_relative() && !from.empty() && !isBuiltinSource(from)) {
        path = utf8Path(from).parent_path() / path;
    }
    return readFile(path);
}

RuleSet loadHolidays(std::string_view setOrFile) {
    if (setOrFile.empty()) {
        throw HolidayError(
            "no holiday set or rules file named: expected us, gb-eng, de, fr or a "
            "file");
    }
    return parseRules(resolveInclude(setOrFile, ""), resolveInclude);
}

}  // namespace annalex::calendar::holidays
