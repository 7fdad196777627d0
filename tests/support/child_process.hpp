#pragma once
// Test bodies run in forked child processes (POSIX only), so that a kill, a resource limit or
// dropped privileges stay in the child while the test sees how it ended.

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace annalex::testing {

// Starts body in a child process that exits with body's answer.
template <typename Body>
pid_t startChild(Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    return child;
}

// The exit status of the ended child, or 128 + the signal that ended it.
inline int waitForChild(pid_t child) {
    int raw = 0;
    ::waitpid(child, &raw, 0);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

template <typename Body>
int inChild(Body body) {
    return waitForChild(startChild(body));
}

// Runs body in a child process, as the unprivileged user 65534 when the tests run as root (so
// that file permissions apply to it); answers its exit status, or 125 when the privileges could
// not be dropped.
template <typename Body>
int inUnprivilegedChild(Body body) {
    return inChild([&] {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return 125;
        }
        return body();
    });
}

}  // namespace annalex::testing
