// The restart program: it waits for the process that started it to end, then starts that
// program again with the same arguments in the same working directory.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "errors/report_sandbox.hpp"

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

}  // namespace
}  // namespace annalex::testing
