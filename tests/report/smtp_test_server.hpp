#pragma once
// A real SMTP server on a free loopback port for the duration of a test: the Python script
// beside this file (aiosmtpd), started in one of its modes, writing what it receives into a
// folder. It ends when this object goes, because its standard input closes.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace annalex::report::testing {

class SmtpTestServer {
  public:
    // mode: "accept", "reject", "hang" or "silent" (see the script).
    SmtpTestServer(const std::string& mode, const std::filesystem::path& folder) : folder_(folder) {
        int input[2];
        int output[2];
        if (::pipe(input) != 0 || ::pipe(output) != 0) {
            throw std::runtime_error("pipe failed");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        posix_spawn_file_actions_addclose(&actions, input[1]);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        std::string python = ANNALEX_TEST_PYTHON;
        std::string script = ANNALEX_SMTP_TEST_SERVER;
        std::string target = folder.string();
        std::string modeText = mode;
        char* argv[] = {python.data(), script.data(), modeText.data(), target.data(), nullptr};
        const int spawned = posix_spawn(&pid_, python.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        stdin_ = input[1];
        if (spawned != 0) {
            ::close(output[0]);
            throw std::runtime_error("cannot start " + python);
        }
        std::string line;
        char c = 0;
        while (::read(output[0], &c, 1) == 1 && c != '\n') {
            line += c;
        }
        ::close(output[0]);
        port_ = line.empty() ? 0 : std::stoi(line);
        if (port_ == 0) {
            throw std::runtime_error(
                "the SMTP test server did not start (is python3-aiosmtpd "
                "installed?)");
        }
    }

    ~SmtpTestServer() {
        ::close(stdin_);
        int status = 0;
        for (int i = 0; i < 50 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) {
            ::usleep(20'000);
        }
        if (::waitpid(pid_, &status, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }

    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    int port() const { return port_; }
    std::string url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }

    // One file the server wrote for message number (from 1), e.g. received(1, "subject").
    std::string received(int number, const std::string& suffix) const {
        std::ifstream in(folder_ / ("mail-" + std::to_string(number) + "." + suffix),
                         std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Whether message number (from 1) arrived.
    bool receivedAny(int number = 1) const {
        return std::filesystem::exists(folder_ / ("mail-" + std::to_string(number) + ".eml"));
    }

  private:
    std::filesystem::path folder_;
    pid_t pid_ = 0;
    int stdin_ = -1;
    int port_ = 0;
};

}  // namespace annalex::report::testing
