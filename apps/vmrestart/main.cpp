// VmRestart: the restart program that the error report form starts when it closes.
//
// It is started by the host process that met the failure, which is its parent. It notes the
// parent's program, arguments and working directory, waits for the parent to end, then starts
// that program again, with the same arguments, in the same working directory. It takes no
// arguments of its own and writes one line to standard error when it cannot restart.
//
// It waits at most kParentWaitLimit (15 minutes: time for the host to let its user save open
// work before it quits). A host that is still running then is not going to end on its own;
// rather than linger for ever, it writes one line naming the host it waited for and ends.
// The environment variable VMRESTART_WAIT_LIMIT_MS, a positive number of milliseconds no
// larger than that, shortens the limit; it exists for the tests, which cannot wait 15 minutes.
//
// Exit status (only seen when it does not restart): 1 when the parent cannot be known (it has
// already ended, or /proc cannot be read), 2 when the program could not be started again,
// 3 when the parent was still running at the end of the wait.

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

constexpr std::chrono::milliseconds kParentWaitLimit = std::chrono::minutes(15);

// kParentWaitLimit, or the shorter limit from VMRESTART_WAIT_LIMIT_MS when that is a positive
// number of milliseconds within it (anything else is ignored).
std::chrono::milliseconds parentWaitLimit() {
    const char* text = std::getenv("VMRESTART_WAIT_LIMIT_MS");
    if (text == nullptr) {
        return kParentWaitLimit;
    }
    const std::string_view view(text);
    long long value = 0;
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size() || value <= 0 ||
        value > kParentWaitLimit.count()) {
        return kParentWaitLimit;
    }
    return std::chrono::milliseconds(value);
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
    const auto deadline = std::chrono::steady_clock::now() + parentWaitLimit();
    while (::getppid() == parent) {
        if (std::chrono::steady_clock::now() >= deadline) {
            std::cerr << "VmRestart: gave up waiting for " << host.program << " (process " << parent
                      << ") to end\n";
            return 3;
        }
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
