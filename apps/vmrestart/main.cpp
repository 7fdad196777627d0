// VmRestart: the restart program that the error report form starts when it closes.
//
// It is started by the host process that met the failure, which is its parent. It notes the
// parent's program, arguments and working directory, waits for the parent to end, then starts
// that program again, with the same arguments, in the same working directory. It takes no
// arguments of its own and writes one line to standard error when it cannot restart.
//
// Exit status (only seen when it does not restart): 1 when the parent cannot be known (it has
// already ended, or /proc cannot be read), 2 when the program could not be started again.

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Host {
    std::string program;
    std::vector<std::string> arguments;  // arguments[0] is the name it was started under
    std::string workingDirectory;
};

std::string linkTarget(const std::string& link) {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size());
    return length < 0 ? std::string()
                      : std::string(buffer.data(), static_cast<std::size_t>(length));
}

bool readHost(pid_t parent, Host& host) {
    const std::string proc = "/proc/" + std::to_string(parent);
    host.program = linkTarget(proc + "/exe");
    host.workingDirectory = linkTarget(proc + "/cwd");
    std::ifstream cmdline(proc + "/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(cmdline)),
                          std::istreambuf_iterator<char>());
    for (std::size_t at = 0; at < all.size();) {
        const std::size_t end = all.find('\0', at);
        host.arguments.push_back(all.substr(at, end - at));
        at = end == std::string::npos ? all.size() : end + 1;
    }
    return !host.program.empty() && !host.arguments.empty();
}

}  // namespace

int main() {
    const pid_t parent = ::getppid();
    Host host;
    if (parent <= 1 || !readHost(parent, host)) {
        std::cerr << "VmRestart: the program to restart cannot be known\n";
        return 1;
    }
    // The parent has ended when this process has been handed to another parent.
    while (::getppid() == parent) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (host.workingDirectory.empty() || ::chdir(host.workingDirectory.c_str()) != 0) {
        [[maybe_unused]] const int ignored = ::chdir("/");  // its directory is gone
    }
    std::vector<char*> argv;
    for (std::string& argument : host.arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    ::execv(host.program.c_str(), argv.data());
    std::cerr << "VmRestart: cannot start " << host.program << ": " << std::strerror(errno) << '\n';
    return 2;
}
