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
#include <fstream>
#include <iostream>

#include "common/failure.hpp"

namespace annalex::cli {
namespace {

[[noreturn]] void fail(const std::string& path, const std::string& what) {
    raise(ErrorNumber::PathFileAccessError,
          "cannot write '" + path + "': " + what + " (" + std::strerror(errno) + ")",
          "Annalex.Output");
}

// Flushes a file's data to the disk.
void syncFile(int fd) {
#ifdef _WIN32
    _commit(fd);
#else
    ::fsync(fd);
#endif
}

// Puts temporary in the place of path in one step; Windows renames onto an existing file only
// when asked to replace it.
bool replaceFile(const std::string& temporary, const std::string& path) {
#ifdef _WIN32
    return MoveFileExA(temporary.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(temporary.c_str(), path.c_str()) == 0;
#endif
}

}  // namespace

void writeOutput(const std::string& path, const std::function<void(std::ostream&)>& write) {
    if (path.empty() || path == "-") {
        write(std::cout);
        std::cout.flush();
        return;
    }
    // A device, a pipe or any other file that is not a regular file (/dev/null, /dev/stdout) is
    // written in place: replacing it by a rename would put a regular file where it stood.
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
        std::ofstream out(path, std::ios::binary);
        if (!out) {
            fail(path, "cannot open it");
        }
        write(out);
        out.flush();
        if (!out) {
            fail(path, "writing failed");
        }
        return;
    }
    const std::string temporary = path + ".tmp-" + std::to_string(getpid());
    try {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            fail(path, "cannot create a temporary file beside it");
        }
        write(out);
        out.flush();
        if (!out) {
            const int error = errno;
            out.close();
            std::remove(temporary.c_str());
            errno = error;
            fail(path, "writing failed");
        }
    } catch (...) {
        // Whatever stopped the writing (a full disk, a file-size limit, memory running out),
        // nothing is left behind.
        const int error = errno;
        std::remove(temporary.c_str());
        errno = error;
        throw;
    }
    const int fd = ::open(temporary.c_str(), O_RDONLY);
    if (fd >= 0) {
        syncFile(fd);
        ::close(fd);
    }
    if (!replaceFile(temporary, path)) {
        const int error = errno;
        std::remove(temporary.c_str());
        errno = error;
        fail(path, "cannot replace it");
    }
}

}  // namespace annalex::cli
