#include "output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <random>
#include <utility>

#include "common/failure.hpp"
#include "common/utf8_path.hpp"
#include "descriptor_stream.hpp"
#ifndef _WIN32
#include "settings/atomic_file.hpp"
#endif

#ifndef O_BINARY
#define O_BINARY 0  // POSIX writes every file as bytes
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

namespace annalex::cli {
namespace {

constexpr std::string_view kSource = "Annalex.Output";

[[noreturn]] void failStandardOutput(int error) {
    if (error == EPIPE) {
        throw ReaderGone{};
    }
    raise(ErrorNumber::PathFileAccessError,
          std::string("cannot write standard output: ") + std::strerror(error), kSource);
}

[[noreturn]] void fail(const std::string& path, const std::string& what, int error) {
    if (error == EPIPE) {
        throw ReaderGone{};
    }
    raise(ErrorNumber::PathFileAccessError,
          "cannot write '" + path + "': " + what + " (" + std::strerror(error) + ")", kSource);
}

// Runs write on a stream over fd; the errno of the first failed write, or 0.
int writeThrough(int fd, const std::function<void(std::ostream&)>& write) {
    DescriptorStream out(fd);
    write(out);
    return out.finish();
}

// Flushes a file's data to the disk; false with errno on failure.
bool syncFile(int fd) {
#ifdef _WIN32
    return _commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

// Puts temporary in the place of target in one step; Windows renames onto an existing file
// only when asked to replace it.
bool replaceFile(const std::filesystem::path& temporary, const std::filesystem::path& target) {
#ifdef _WIN32
    if (MoveFileExW(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        errno = EACCES;
        return false;
    }
    return true;
#else
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        return false;
    }
    // Make the rename itself durable; the new file is in place either way.
    const auto folder = target.has_parent_path() ? target.parent_path() : ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
#endif
}

// The status of the file a path names, following links: 0, or -1 with errno set. (Windows
// needs the wide name; only the file's kind is asked of it there.)
int statusOf(const std::filesystem::path& path, struct stat& status) {
#ifdef _WIN32
    struct _stat64 wide {};
    if (::_wstat64(path.c_str(), &wide) != 0) {
        return -1;
    }
    status.st_mode = wide.st_mode;
    return 0;
#else
    return ::stat(path.c_str(), &status);
#endif
}

// The file that path leads to through symbolic links; empty, with errno set, for a loop.
std::filesystem::path fileBehind(const std::string& path) {
#ifdef _WIN32
    return utf8Path(path);
#else
    return settings::followLinks(path);
#endif
}

// A new file beside a target, created exclusively under a name no one can guess, and removed
// again unless it was put in the target's place.
class TemporaryFile {
  public:
    TemporaryFile(const std::filesystem::path& target, unsigned mode) {
        static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        std::random_device random;
        std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            std::string suffix = ".tmp-";
            for (int i = 0; i < 10; ++i) {
                suffix += kLetters[letter(random)];
            }
            path_ = target;
            path_ += suffix;
            fd_ = openPath(path_, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_BINARY,
                           static_cast<int>(mode));
            if (fd_ < 0 && errno != EEXIST) {
                break;
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!kept_ && created()) {
            const int error = errno;  // the cause of the failure, for its message
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
            errno = error;
        }
    }

    bool created() const { return fd_ >= 0 || closed_; }
    int fd() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }
    // Closes the file; false with errno when the close reports a late write error.
    bool close() {
        closed_ = true;
        return ::close(std::exchange(fd_, -1)) == 0;
    }
    void keep() { kept_ = true; }

  private:
    std::filesystem::path path_;
    int fd_ = -1;
    bool closed_ = false;
    bool kept_ = false;
};

// Writes a device, a pipe or another file that is not a regular file in place: replacing it
// by a rename would put a regular file where it stood.
void writeInPlace(const std::string& path, const std::function<void(std::ostream&)>& write) {
    const int fd = openPath(utf8Path(path), O_WRONLY | O_CLOEXEC | O_BINARY);
    if (fd < 0) {
        fail(path, "cannot open it", errno);
    }
    int error = writeThrough(fd, write);
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        fail(path, "writing failed", error);
    }
}

}  // namespace

void writeOutput(const std::string& path, const std::function<void(std::ostream&)>& write,
                 const std::function<void()>& beforeReplacing) {
    if (path.empty() || path == "-") {
        std::cout.flush();  // what came before goes first
        if (const int error = writeThrough(STDOUT_FILENO, write); error != 0) {
            failStandardOutput(error);
        }
        return;
    }
    // Asked of the path itself first: the system's own links, such as /dev/stdout, lead to
    // things (a pipe) that have no path of their own.
    struct stat existing {};
    if (statusOf(utf8Path(path), existing) == 0 && !S_ISREG(existing.st_mode)) {
        writeInPlace(path, write);
        return;
    }
    const std::filesystem::path target = fileBehind(path);
    if (target.empty()) {
        fail(path, "cannot follow its links", errno);
    }
    const bool replacing = statusOf(target, existing) == 0;
    if (replacing && !S_ISREG(existing.st_mode)) {
        writeInPlace(path, write);
        return;
    }
#ifndef _WIN32
    // A rename would replace a file the user may not write, since only the folder's permissions
    // count for it.
    if (replacing && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        fail(path, "it may not be written", errno);
    }
#endif
    // A replacement is private until it has its owner and mode.
    TemporaryFile temporary(target, replacing ? 0600 : 0666);
    if (!temporary.created()) {
        fail(path, "cannot create a temporary file beside it", errno);
    }
#ifndef _WIN32
    // The replacement keeps the file's owner (a privileged writer must not take a user's file
    // over); when that cannot be done the file is not replaced at all.
    if (replacing && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
        ::fchown(temporary.fd(), existing.st_uid, existing.st_gid) != 0) {
        fail(path, "cannot keep its owner", errno);
    }
#endif
    // Whatever stops the writing (a full disk, a file-size limit, memory running out), the
    // temporary file goes with it.
    int error = writeThrough(temporary.fd(), write);
#ifndef _WIN32
    if (error == 0 && replacing && ::fchmod(temporary.fd(), existing.st_mode & 07777) != 0) {
        error = errno;
    }
#endif
    if (error == 0 && !syncFile(temporary.fd())) {
        error = errno;
    }
    if (error == 0 && !temporary.close()) {
        error = errno;
    }
    if (error != 0) {
        fail(path, "writing failed", error);
    }
    if (beforeReplacing) {
        beforeReplacing();
    }
    if (!replaceFile(temporary.path(), target)) {
        fail(path, "cannot replace it", errno);
    }
    temporary.keep();
}

StandardOutput::StandardOutput()
    : stream_(STDOUT_FILENO), previous_(std::cout.rdbuf(stream_.rdbuf())) {}

StandardOutput::~StandardOutput() {
    std::cout.rdbuf(previous_);
}

void StandardOutput::close() {
    int error = stream_.finish();
    // Nothing of the program writes through the C library's stdout; should anything have, it
    // is written out and checked too.
    if (error == 0 && (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) {
        error = errno != 0 ? errno : EIO;
    }
    // A late write error can show at the close. A descriptor closed from the start (EBADF)
    // had nothing to write, or its first write failed already.
    if (error == 0 && ::close(STDOUT_FILENO) != 0 && errno != EBADF) {
        error = errno;
    }
    if (error != 0) {
        failStandardOutput(error);
    }
}

}  // namespace annalex::cli
