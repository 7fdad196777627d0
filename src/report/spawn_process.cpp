#include "report/spawn_process.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "common/failure.hpp"
#include "common/process_state.hpp"

extern char** environ;

namespace annalex::report {

bool SpawnedRestart::start(const std::string& program, const std::string& workingDirectory) {
    const std::string self = std::to_string(::getpid());
    std::vector<char> executable(4096);
    const ssize_t length = ::readlink("/proc/self/exe", executable.data(), executable.size());
    std::string startTime = processStartTime(::getpid());
    if (length <= 0 || startTime.empty()) {
        noteErrno();
        return false;  // without an identity the restart program would not know what to start
    }
    std::string hostProgram(executable.data(), static_cast<std::size_t>(length));

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return false;
    }
    int result = posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    if (result == 0) {
        result = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    }
    pid_t child = -1;
    if (result == 0) {
        std::string argument0 = program;
        std::string pidOption = "--host-pid";
        std::string pid = self;
        std::string startOption = "--host-start";
        std::string programOption = "--host-program";
        char* argv[] = {argument0.data(),   pidOption.data(), pid.data(),
                        startOption.data(), startTime.data(), programOption.data(),
                        hostProgram.data(), nullptr};
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
