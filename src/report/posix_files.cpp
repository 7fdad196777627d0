#include "report/posix_files.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/failure.hpp"

namespace annalex::report {
namespace {

constexpr std::string_view kSource = "Annalex.Report";
constexpr const char* kDataFolderName = "annalex";

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

// An open descriptor, closed when it goes (errno is kept as it was).
struct Descriptor {
    explicit Descriptor(int value) : fd(value) {}
    ~Descriptor() {
        if (fd >= 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd;
};

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

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A new file beside path, 0600, that becomes path when it is complete: nothing at path is
// written through, and a failure leaves what was there.
class PrivateFileWriter {
  public:
    explicit PrivateFileWriter(std::string path) : path_(std::move(path)) {
        const std::size_t slash = path_.rfind('/');
        temporary_ = (slash == std::string::npos ? std::string() : path_.substr(0, slash + 1)) +
                     ".annalex-XXXXXX";
        fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
        if (fd_ < 0) {
            fail(path_, "cannot be created", ErrorNumber::PathNotFound);
        }
    }
    ~PrivateFileWriter() {
        if (fd_ >= 0) {
            ::close(fd_);
            ::unlink(temporary_.c_str());
        }
    }
    PrivateFileWriter(const PrivateFileWriter&) = delete;
    PrivateFileWriter& operator=(const PrivateFileWriter&) = delete;

    void write(const char* data, std::size_t size) {
        if (!writeAll(fd_, data, size)) {
            fail(path_, "cannot be written");
        }
    }

    // Puts the file in place.
    void finish() {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 || ::rename(temporary_.c_str(), path_.c_str()) != 0) {
            const int error = errno;
            ::unlink(temporary_.c_str());
            errno = error;
            fail(path_, "cannot be written");
        }
    }

  private:
    std::string path_;
    std::string temporary_;
    int fd_ = -1;
};

void copyFile(const std::string& from, const std::string& to) {
    const Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) {
        fail(from, "cannot be read");
    }
    PrivateFileWriter out(to);
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(in.fd, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(from, "cannot be read");
        }
        out.write(buffer, static_cast<std::size_t>(got));
    }
    out.finish();
}

// Makes path and every missing folder above it, private to the user.
void makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            fail(part, "cannot be created", ErrorNumber::PathNotFound);
        }
        if (slash == std::string::npos) {
            return;
        }
    }
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        return home;
    }
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

}  // namespace

std::string posixPath(std::string_view path) {
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

std::string resolveIgnoringCase(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        return path;
    }
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) {
        return path;
    }
    // A missing directory is no failure here: the caller's own operation reports the path.
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(directory.c_str()), ::closedir);
    if (!entries) {
        return path;
    }
    while (const dirent* entry = ::readdir(entries.get())) {
        if (sameIgnoringCase(entry->d_name, name)) {
            return (slash == std::string::npos ? "" : directory) + entry->d_name;
        }
    }
    return path;
}

std::string PosixFiles::hostPath(std::string_view registryPath) {
    return resolveIgnoringCase(posixPath(registryPath));
}

std::string PosixFiles::userDataFolder() {
    std::string folder;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        folder = std::string(data) + "/" + kDataFolderName;
    } else {
        const std::string home = homeFolder();
        if (home.empty()) {
            errno = ENOENT;
            fail("~", "cannot be found: the user has no home folder", ErrorNumber::PathNotFound);
        }
        folder = home + "/.local/share/" + kDataFolderName;
    }
    makeFolders(folder);
    return folder;
}

bool PosixFiles::createDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0) {
        noteErrno();
        return false;
    }
    return true;
}

void PosixFiles::appendLogEntry(const std::string& path, std::string_view entry) {
    int fd = -1;
    // Opened as it is, or made anew; between the two another writer may make it, so look again.
    for (int attempt = 0; attempt < 3 && fd < 0; ++attempt) {
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd >= 0) {
            break;
        }
        if (errno != ENOENT) {
            fail(path, "cannot be opened for appending");
        }
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            fail(path, "cannot be created", ErrorNumber::PathNotFound);
        }
    }
    if (fd < 0) {
        // Neither there to open nor free to create: a link to a file that does not exist.
        errno = ENOENT;
        fail(path, "is a link to nothing and is not followed");
    }
    ssize_t written = -1;
    do {
        written = ::write(fd, entry.data(), entry.size());
    } while (written < 0 && errno == EINTR);
    if (written != static_cast<ssize_t>(entry.size())) {
        const int error = written < 0 ? errno : EFBIG;
        if (written > 0) {
            // Appending left the offset just after the part written.
            const off_t end = ::lseek(fd, 0, SEEK_CUR);
            if (end >= written) {
                [[maybe_unused]] const int cut = ::ftruncate(fd, end - written);
            }
        }
        ::close(fd);
        errno = error;
        fail(path, "cannot be written");
    }
    if (::close(fd) != 0) {
        fail(path, "cannot be written");
    }
}

void PosixFiles::writePrivateFile(const std::string& path, std::string_view bytes) {
    PrivateFileWriter file(path);
    file.write(bytes.data(), bytes.size());
    file.finish();
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
