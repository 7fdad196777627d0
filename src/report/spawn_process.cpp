#include "report/spawn_process.hpp"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "common/failure.hpp"

extern char** environ;

namespace annalex::report {

bool SpawnedProcesses::start(const std::string& program, const std::string& workingDirectory) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return false;
    }
    int result = posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    pid_t child = -1;
    if (result == 0) {
        std::string argument0 = program;
        char* argv[] = {argument0.data(), nullptr};
        result = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        noteSystemError(result);
        return false;
    }
    std::thread([child] {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace annalex::report
