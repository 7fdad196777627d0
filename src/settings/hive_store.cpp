#include "settings/hive_store.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include "settings/atomic_file.hpp"
#include "settings/exclusive_lock.hpp"
#include "settings/value.hpp"

namespace annalex::settings {

std::filesystem::path settingsDirectory() {
    if (const char* dir = std::getenv("ANNALEX_SETTINGS_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0') {
        return std::filesystem::path(config) / "annalex";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".config" / "annalex";
}

std::string_view rootKeyName(KeyHandle root) {
    switch (root) {
        case root::kClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case root::kCurrentUser:
            return "HKEY_CURRENT_USER";
        case root::kLocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case root::kUsers:
            return "HKEY_USERS";
        case root::kCurrentConfig:
            return "HKEY_CURRENT_CONFIG";
        case root::kDynamicData:
            return "HKEY_DYN_DATA";
        default:
            return {};
    }
}

std::filesystem::path hiveFile(KeyHandle root) {
    return settingsDirectory() / (std::string(rootKeyName(root)) + ".hive");
}

namespace {

std::int32_t loadHiveFile(const std::filesystem::path& file, HiveKey& hive) {
    std::string text;
    switch (readWholeFile(file, text)) {
        case ReadResult::Missing:
            hive = HiveKey();
            return status::kSuccess;
        case ReadResult::Failed:
            return status::kReadFault;
        case ReadResult::Read:
            break;
    }
    auto parsed = parseHive(text);
    if (!parsed) {
        return status::kBadDatabase;
    }
    hive = std::move(*parsed);
    return status::kSuccess;
}

// How often a writer looks again for the file behind a hive's link when the link changed while
// it waited for the lock.
constexpr int kLinkChangesTolerated = 8;

// The lock of a hive file: "<name>.lock" beside it, where the file really lies, so that every
// writer of that file takes the same lock, whether it reaches the file through a link or in
// its own folder (where that is "<ROOT NAME>.lock" of the settings directory).
std::filesystem::path lockFileOf(const std::filesystem::path& file) {
    return std::filesystem::path(file).replace_extension(".lock");
}

}  // namespace

std::int32_t loadHive(KeyHandle root, HiveKey& hive) {
    return loadHiveFile(hiveFile(root), hive);
}

namespace {

HiveSnapshot::Stamp stampOf(const struct stat& info) {
    return {true,
            static_cast<std::uint64_t>(info.st_dev),
            static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec,
            std::int64_t{info.st_ctim.tv_sec} * 1'000'000'000 + info.st_ctim.tv_nsec};
}

}  // namespace

std::int32_t refreshHive(KeyHandle root, HiveSnapshot& snapshot) {
    const auto file = hiveFile(root);
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0 && snapshot.tree != nullptr &&
        snapshot.stamp == stampOf(info)) {
        return status::kSuccess;  // the file the snapshot was taken from
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            return status::kReadFault;
        }
        if (snapshot.tree == nullptr || snapshot.stamp.present) {
            snapshot.tree = std::make_shared<HiveKey>();
            snapshot.stamp = {};
        }
        return status::kSuccess;
    }
    std::string text;
    const bool read = ::fstat(fd, &info) == 0 && readWholeDescriptor(fd, text);
    ::close(fd);
    if (!read) {
        return status::kReadFault;
    }
    auto parsed = parseHive(text);
    if (!parsed) {
        return status::kBadDatabase;
    }
    snapshot.tree = std::make_shared<const HiveKey>(std::move(*parsed));
    snapshot.stamp = stampOf(info);
    return status::kSuccess;
}

std::int32_t updateHive(KeyHandle root,
                        const std::function<std::int32_t(HiveKey& hive, bool& changed)>& change) {
    const auto directory = settingsDirectory();
    if (!createPrivateDirectories(directory)) {
        return errno == EACCES ? status::kAccessDenied : status::kWriteFault;
    }
    const std::filesystem::path file = directory / (std::string(rootKeyName(root)) + ".hive");
    for (int look = 0; look <= kLinkChangesTolerated; ++look) {
        const auto target = followLinks(file);
        if (target.empty()) {
            return status::kWriteFault;
        }
        // A lock file is never followed through a symbolic link: a link planted there would have
        // the writer create or open whatever it names.
        const ExclusiveLock lock(
            ::open(lockFileOf(target).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!lock.held()) {
            return status::kWriteFault;
        }
        if (followLinks(file) != target) {
            continue;  // the link now leads elsewhere: the lock held is not that file's
        }
        HiveKey hive;
        if (const auto code = loadHiveFile(target, hive); code != status::kSuccess) {
            return code;
        }
        bool changed = false;
        const auto code = change(hive, changed);
        if (changed && !replaceFileAtomically(target, writeHive(hive))) {
            return errno == EACCES || errno == EPERM ? status::kAccessDenied : status::kWriteFault;
        }
        return code;
    }
    return status::kWriteFault;
}

}  // namespace annalex::settings
