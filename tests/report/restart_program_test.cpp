// The restart program: it waits for the process that started it to end, then starts that
// program again with the same arguments in the same working directory; a host that does not
// end within the wait limit is given up on.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "report/report_sandbox.hpp"

namespace annalex::testing {
namespace {

namespace fs = std::filesystem;

TEST(RestartProgram, StartsTheEndedHostAgainWithItsArgumentsAndDirectory) {
    ReportSandbox sandbox;
    const fs::path work = sandbox.root() / "work dir";
    fs::create_directories(work);
    const fs::path runs = sandbox.root() / "runs";
    // The host notes each run; its first run starts the restart program and ends soon after.
    const fs::path host = sandbox.root() / "host.sh";
    std::ofstream(host) << "echo \"$(pwd) $1\" >> '" << runs.string() << "'\n"
                        << "if [ ! -e once ]; then : > once; '" << ANNALEX_RESTART_PROGRAM
                        << "' & sleep 0.3; fi\n";

    const pid_t child = fork();
    if (child == 0) {
        if (chdir(work.c_str()) != 0) {
            _exit(126);
        }
        execl("/bin/sh", "/bin/sh", host.c_str(), "first argument", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const std::string line = work.string() + " first argument\n";
    std::string text;
    for (int i = 0; i < 250 && text != line + line; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        text = ReportSandbox::read(runs);
    }
    EXPECT_EQ(text, line + line);
}

TEST(RestartProgram, GivesUpOnAHostThatDoesNotEndWithinTheLimit) {
    // This test process is the host: it waits for the restart program, so it never ends first.
    ReportSandbox sandbox;
    const fs::path errors = sandbox.root() / "stderr";
    const pid_t child = fork();
    if (child == 0) {
        if (freopen(errors.c_str(), "w", stderr) == nullptr) {
            _exit(126);
        }
        setenv("VMRESTART_WAIT_LIMIT_MS", "200", 1);
        execl(ANNALEX_RESTART_PROGRAM, ANNALEX_RESTART_PROGRAM, static_cast<char*>(nullptr));
        _exit(127);
    }
    // Ten seconds is far beyond the limit: a restart program still waiting then never stops.
    int status = 0;
    for (int i = 0; i < 500 && waitpid(child, &status, WNOHANG) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the restart program still waited after ten seconds";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    const std::string text = ReportSandbox::read(errors);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_NE(text.find(fs::read_symlink("/proc/self/exe").string()), std::string::npos) << text;
    EXPECT_NE(text.find("(process " + std::to_string(getpid()) + ")"), std::string::npos) << text;
}

}  // namespace
}  // namespace annalex::testing
