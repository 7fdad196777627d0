#pragma once
// An exclusive advisory lock (flock) held on an open file for the lock's lifetime (POSIX).

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace annalex::settings {

class ExclusiveLock {
  public:
    // Takes over fd and waits for the lock; a negative fd, or a lock that cannot be taken,
    // gives a lock that is not held.
    explicit ExclusiveLock(int fd) : fd_(fd) {
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
            }
        }
    }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() {
        if (fd_ >= 0) {
            ::close(fd_);  // releases the lock
        }
    }
    bool held() const { return fd_ >= 0; }

  private:
    int fd_;
};

}  // namespace annalex::settings
