#include "output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        ::fsync(fd);
        ::close(fd);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(temporary.c_str());
        errno = error;
        fail(path, "cannot replace it");
    }
}

}  // namespace annalex::cli
