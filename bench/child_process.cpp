#include "child_process.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace annalex::bench {

int runChild(const std::vector<std::string>& arguments, ChildUsage& usage) {
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (auto& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto started = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int error = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::runtime_error("cannot start " + arguments[0]);
    }
    int status = 0;
    rusage used{};
    wait4(child, &status, 0, &used);
    usage.wallSeconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    usage.maxRssKiB = used.ru_maxrss;
    usage.cpuSeconds += static_cast<double>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
                        static_cast<double>(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string programFrom(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    return value != nullptr ? value : fallback;
}

}  // namespace annalex::bench
