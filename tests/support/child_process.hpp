#pragma once
// Test bodies run in forked child processes (POSIX only), so that a kill, a resource limit or
// dropped privileges stay in the child while the test sees how it ended.

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

}  // namespace annalex::testing
