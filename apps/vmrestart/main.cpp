// VmRestart: the restart program that the error report form starts when it closes.
//
//     VmRestart.exe --host-pid PID --host-start TICKS --host-program PATH
//
// The host that met the failure starts it with its own identity: its process number, its start
// time (clock ticks after boot, field 22 of /proc/PID/stat) and its program. Before anything
// else VmRestart checks that /proc/PID is still that process (same start time, same program):
// a number can be given to another process once its own has ended, and VmRestart restarts the
// host and nothing else. It then notes the host's arguments and working directory, waits for it
// to end, and starts its program again with the same arguments in the same working directory.
// It writes one line to standard error when it does not restart.
//
// It waits at most 15 minutes (wait_limit.hpp: time for the host to let its user save open
// work before it quits). A host that is still running then is not going to end on its own;
// rather than linger for ever, it writes one line naming the host it waited for and ends.
//
// This is the POSIX program; win32_main.cpp is the Windows one.
//
// Exit status (only seen when it does not restart): 1 when the host cannot be known (no or bad
// arguments, the host has already ended, or /proc/PID is another process), 2 when the program
// could not be started again, 3 when the host was still running at the end of the wait.

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/process_state.hpp"
#include "wait_limit.hpp"

namespace {

// Who asked for the restart, as it said on the command line.
struct Identity {
    pid_t pid = 0;
    std::string startTime;
    std::string program;
};

struct Host {
    std::vector<std::string> arguments;  // arguments[0] is the name it was started under
    std::string workingDirectory;
};

bool parsePid(std::string_view text, pid_t& pid) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 1 ||
        value > 0x7fffffff) {
        return false;
    }
    pid = static_cast<pid_t>(value);
    return true;
}

bool parseIdentity(int argc, char* argv[], Identity& identity) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view option = argv[i];
        const std::string_view value = argv[i + 1];
        if (option == "--host-pid") {
            if (!parsePid(value, identity.pid)) {
                return false;
            }
        } else if (option == "--host-start") {
            identity.startTime = value;
        } else if (option == "--host-program") {
            identity.program = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && identity.pid > 1 && !identity.startTime.empty() &&
           !identity.program.empty();
}

std::string linkTarget(const std::string& link) {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size());
    return length < 0 ? std::string()
                      : std::string(buffer.data(), static_cast<std::size_t>(length));
}

// Whether the process that identity names still runs: the number's process started when the
// host did and has not ended.
bool hostRuns(const Identity& identity) {
    return annalex::processStartTime(identity.pid) == identity.startTime &&
           annalex::processRuns(identity.pid);
}

// Whether /proc/PID is, right now, the running host that identity names, its program included.
bool isHost(const Identity& identity) {
    return hostRuns(identity) &&
           linkTarget("/proc/" + std::to_string(identity.pid) + "/exe") == identity.program;
}

void readHost(pid_t pid, Host& host) {
    const std::string proc = "/proc/" + std::to_string(pid);
    host.workingDirectory = linkTarget(proc + "/cwd");
    std::ifstream cmdline(proc + "/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(cmdline)),
                          std::istreambuf_iterator<char>());
    for (std::size_t at = 0; at < all.size();) {
        const std::size_t end = all.find('\0', at);
        host.arguments.push_back(all.substr(at, end - at));
        at = end == std::string::npos ? all.size() : end + 1;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    Identity identity;
    if (!parseIdentity(argc, argv, identity)) {
        std::cerr << "VmRestart: the program to restart cannot be known (usage: VmRestart.exe "
                     "--host-pid PID --host-start TICKS --host-program PATH)\n";
        return 1;
    }
    // The host is read between two checks of its identity, so that what was read is its own.
    Host host;
    if (isHost(identity)) {
        readHost(identity.pid, host);
    }
    if (!isHost(identity) || host.arguments.empty()) {
        std::cerr << "VmRestart: process " << identity.pid << " is no longer " << identity.program
                  << " that asked for the restart; nothing is restarted\n";
        return 1;
    }
    const auto deadline = std::chrono::steady_clock::now() + vmrestart::hostWaitLimit();
    // (A program file replaced meanwhile does not end the wait: only the host's end does.)
    while (hostRuns(identity)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            std::cerr << "VmRestart: gave up waiting for " << identity.program << " (process "
                      << identity.pid << ") to end\n";
            return 3;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (host.workingDirectory.empty() || ::chdir(host.workingDirectory.c_str()) != 0) {
        [[maybe_unused]] const int ignored = ::chdir("/");  // its directory is gone
    }
    std::vector<char*> arguments;
    for (std::string& argument : host.arguments) {
        arguments.push_back(argument.data());
    }
    arguments.push_back(nullptr);
    ::execv(identity.program.c_str(), arguments.data());
    std::cerr << "VmRestart: cannot start " << identity.program << ": " << std::strerror(errno)
              << '\n';
    return 2;
}
