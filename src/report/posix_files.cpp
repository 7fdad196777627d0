#include "report/posix_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/failure.hpp"

namespace annalex::report {
namespace {

constexpr std::string_view kSource = "Annalex.Report";

// Records errno and raises the catalogue failure that fits it, naming the path. A missing file or
// directory is whenMissing: FileNotFound for a file that should exist, PathNotFound where the
// directory to work in is what is missing.
[[noreturn]] void fail(const std::string& path, const std::string& what,
                       ErrorNumber whenMissing = ErrorNumber::FileNotFound) {
    const int error = noteErrno();
    ErrorNumber number = ErrorNumber::PathFileAccessError;
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            number = whenMissing;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            number = ErrorNumber::PermissionDenied;
            break;
        case ENOSPC:
            number = ErrorNumber::DiskFull;
            break;
        case EEXIST:
            number = ErrorNumber::FileAlreadyExists;
            break;
        default:
            break;
    }
    raise(number, "'" + path + "' " + what + ": " + std::strerror(error), kSource);
}

// Writes all bytes to fd; false with errno set on failure.
bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

void copyFile(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        fail(from, "cannot be read");
    }
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        errno = error;
        fail(to, "cannot be created");
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if ((got < 0 && errno != EINTR) ||
            (got > 0 && !writeAll(out, buffer, static_cast<std::size_t>(got)))) {
            const int error = errno;
            ::close(in);
            ::close(out);
            ::unlink(to.c_str());
            errno = error;
            fail(to, "cannot be written");
        }
    }
    ::close(in);
    if (::close(out) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        errno = error;
        fail(to, "cannot be written");
    }
}

}  // namespace

bool PosixFiles::createDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0) {
        noteErrno();
        return false;
    }
    return true;
}

bool PosixFiles::exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

void PosixFiles::createEmptyFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        fail(path, "cannot be created", ErrorNumber::PathNotFound);
    }
    ::close(fd);
}

void PosixFiles::appendToFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        fail(path, "cannot be opened for appending");
    }
    if (!writeAll(fd, bytes.data(), bytes.size())) {
        const int error = errno;
        ::close(fd);
        errno = error;
        fail(path, "cannot be written");
    }
    if (::close(fd) != 0) {
        fail(path, "cannot be written");
    }
}

void PosixFiles::removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        fail(path, "cannot be deleted");
    }
}

void PosixFiles::moveFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) {
        return;
    }
    if (errno != EXDEV) {
        fail(from, "cannot be moved to '" + to + "'");
    }
    copyFile(from, to);
    removeFile(from);
}

std::string PosixFiles::currentDirectory() {
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            fail(".", "cannot be named as the current directory", ErrorNumber::PathNotFound);
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.c_str();
}

void PosixFiles::changeDirectory(const std::string& path) {
    if (::chdir(path.c_str()) != 0) {
        fail(path, "cannot be made the current directory", ErrorNumber::PathNotFound);
    }
}

std::string PosixFiles::temporaryDirectory() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    std::string directory =
        fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : "/tmp";
    if (directory.back() != '/') {
        directory += '/';
    }
    return directory;
}

std::string PosixFiles::createTemporaryFile(const std::string& directory,
                                            const std::string& prefix) {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    auto number = static_cast<std::uint32_t>(ticks ^ (static_cast<long long>(::getpid()) << 16));
    std::string base = directory;
    if (!base.empty() && base.back() != '/') {
        base += '/';
    }
    // The original platform counts through 16-bit numbers; so do we, from a varying start.
    for (std::uint32_t tries = 0; tries < 0x10000; ++tries, ++number) {
        const std::uint32_t unique = (number & 0xFFFF) == 0 ? 1 : (number & 0xFFFF);
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(unique));
        const std::string path = base + prefix + hex + ".tmp";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) {
            fail(path, "cannot be created", ErrorNumber::PathNotFound);
        }
    }
    errno = EEXIST;
    fail(base + prefix + "*.tmp", "cannot be created: every number is taken");
}

}  // namespace annalex::report
