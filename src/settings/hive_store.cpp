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

std::int32_t loadHive(KeyHandle root, HiveKey& hive) {
    std::string text;
    switch (readWholeFile(hiveFile(root), text)) {
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
    const std::string name(rootKeyName(root));
    // A lock file is never followed through a symbolic link: a link planted there would have
    // the writer create or open whatever it names.
    const std::filesystem::path lockFile = directory / (name + ".lock");
    const ExclusiveLock lock(
        ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!lock.held()) {
        return status::kWriteFault;
    }
    HiveKey hive;
    if (const auto code = loadHive(root, hive); code != status::kSuccess) {
        return code;
    }
    bool changed = false;
    const auto code = change(hive, changed);
    if (changed && !replaceFileAtomically(directory / (name + ".hive"), writeHive(hive))) {
        return errno == EACCES || errno == EPERM ? status::kAccessDenied : status::kWriteFault;
    }
    return code;
}

}  // namespace annalex::settings
