#include "settings/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <string>

#include "common/process_state.hpp"

namespace annalex::settings {

namespace {

// Closes a descriptor on every path out of a function.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closes now and reports whether the close succeeded (a late write error shows up here).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const auto written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool createPrivateDirectories(const std::filesystem::path& directory) {
    std::error_code ec;
    if (directory.empty() || std::filesystem::is_directory(directory, ec)) {
        return true;
    }
    const auto parent = directory.parent_path();
    if (parent != directory && !createPrivateDirectories(parent)) {
        return false;
    }
    if (::mkdir(directory.c_str(), 0700) == 0) {
        // The umask may only have taken bits away; nothing to add back.
        return true;
    }
    return errno == EEXIST && std::filesystem::is_directory(directory, ec);
}

bool readWholeDescriptor(int fd, std::string& content) {
    content.clear();
    char buffer[65536];
    while (true) {
        const auto count = ::read(fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (count == 0) {
            return true;
        }
        content.append(buffer, static_cast<std::size_t>(count));
    }
}

ReadResult readWholeFile(const std::filesystem::path& path, std::string& content) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    return readWholeDescriptor(fd.get(), content) ? ReadResult::Read : ReadResult::Failed;
}

// Removes the temporary files "<name>.tmp.<pid>.<n>" that writes of target killed before they
// finished left behind: those whose process no longer runs. They hold whole copies of the
// settings.
void removeStaleTemporaries(const std::filesystem::path& target) {
    auto folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const std::string prefix = target.filename().string() + ".tmp.";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix)) {
            continue;
        }
        const std::string rest = name.substr(prefix.size());
        const auto dot = rest.find('.');
        const std::string pid = rest.substr(0, dot);
        if (dot == std::string::npos || pid.empty() || pid.size() > 9 ||
            pid.find_first_not_of("0123456789") != std::string::npos ||
            rest.find_first_not_of("0123456789", dot + 1) != std::string::npos) {
            continue;
        }
        const auto process = static_cast<pid_t>(std::stol(pid));
        if (process != ::getpid() && !processRuns(process)) {
            ::unlink(it->path().c_str());
        }
    }
}

std::filesystem::path followLinks(const std::filesystem::path& path) {
    constexpr int kMaxLinks = 40;  // as many as the system follows
    std::filesystem::path current = path;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, ec)) || ec) {
            return current;
        }
        const auto target = std::filesystem::read_symlink(current, ec);
        if (ec) {
            return current;
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    errno = ELOOP;
    return {};
}

bool replaceFileAtomically(const std::filesystem::path& link, std::string_view content,
                           unsigned mode) {
    static std::atomic<unsigned> counter{0};
    // Through a symbolic link the update goes to the file it leads to, which is replaced in its
    // own folder; the link stays a link.
    const auto target = followLinks(link);
    if (target.empty()) {
        return false;
    }
    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    if (replacing) {
        // A rename would replace a file the caller may not write, since only the folder's
        // permissions count for it.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            return false;
        }
        mode = existing.st_mode & 07777;
    }
    removeStaleTemporaries(target);
    auto temporary = target;
    temporary += ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);

    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                             static_cast<mode_t>(mode)));
    if (fd.get() < 0) {
        return false;
    }
    // The new file keeps the owner of the one it replaces (a privileged writer must not take a
    // user's file over); when that cannot be done the file is not replaced at all.
    const bool sameOwner = !replacing ||
                           (existing.st_uid == ::geteuid() && existing.st_gid == ::getegid()) ||
                           ::fchown(fd.get(), existing.st_uid, existing.st_gid) == 0;
    const bool written = sameOwner && writeAll(fd.get(), content) &&
                         (!replacing || ::fchmod(fd.get(), mode) == 0) && ::fsync(fd.get()) == 0 &&
                         fd.close() && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!written) {
        const int error = errno;  // the cause, for the caller
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    // Make the rename itself durable; the new file is already in place either way.
    auto directory = target.parent_path();
    if (directory.empty()) {
        directory = ".";
    }
    FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        ::fsync(dir.get());
    }
    return true;
}

}  // namespace annalex::settings
