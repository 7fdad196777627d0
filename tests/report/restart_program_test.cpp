// The restart program: started with its host's identity, it waits for that host to end and
// starts its program again with the same arguments in the same working directory, inheriting
// nothing of the host but standard input, output and error.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/process_state.hpp"
#include "report/report_sandbox.hpp"
#include "report/spawn_process.hpp"

namespace annalex::testing {
namespace {

namespace fs = std::filesystem;

const std::string kSelf = std::to_string(getpid());
const std::string kSelfProgram = fs::read_symlink("/proc/self/exe").string();

TEST(RestartProgram, StartsTheEndedHostAgainWithItsArgumentsAndDirectory) {
    ReportSandbox sandbox;
    const fs::path work = sandbox.root() / "work dir";
    fs::create_directories(work);
    // The host notes each run; its first run starts the restart program (in another folder,
    // as the report form does) and ends soon after.
    const fs::path host = sandbox.root() / "host.sh";
    std::ofstream(host) << "echo \"$(pwd) $1\" >> ../runs\n"
                        << "if [ ! -e once ]; then : > once; (cd / && '" << ANNALEX_RESTART_PROGRAM
                        << "' --host-pid $$ --host-start $(cut -d' ' -f22 /proc/$$/stat)"
                        << " --host-program $(readlink /proc/$$/exe)) & sleep 0.3; fi\n";
    const std::string command = "cd '" + work.string() + "' && /bin/sh ../host.sh 'first argument'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string line = work.string() + " first argument\n";
    EXPECT_EQ(ReportSandbox::awaitLines(sandbox.root() / "runs", 2), line + line);
}

// The report form's restart hands over this process's identity and no descriptor but the
// standard three (the host's descriptor 57 here stays behind).
TEST(RestartProgram, IsStartedWithTheHostsIdentityAndNothingElseOpen) {
    ReportSandbox sandbox;
    const fs::path recorder = sandbox.root() / "recorder";
    std::ofstream(recorder) << "#!/usr/bin/python3\nimport os, sys\nopen('recorded', 'w').write("
                               "' '.join(sys.argv[1:] + sorted(os.listdir('/proc/self/fd'))) + "
                               "'\\n')\n";
    fs::permissions(recorder, fs::perms::owner_all);
    ASSERT_EQ(dup2(STDERR_FILENO, 57), 57);
    ASSERT_TRUE(report::SpawnedRestart().start(recorder.string(), sandbox.root().string()));
    close(57);
    const std::string recorded = ReportSandbox::awaitLines(sandbox.root() / "recorded", 1);
    const std::string identity = "--host-pid " + kSelf + " --host-start " +
                                 processStartTime(getpid()) + " --host-program " + kSelfProgram;
    ASSERT_EQ(recorded.substr(0, identity.size()), identity);
    // What follows are the descriptors: the standard three and the recorder's own.
    const std::string descriptors =
        recorded.substr(identity.size(), recorded.find('\n') - identity.size()) + " ";
    EXPECT_EQ(descriptors.find(" 57 "), std::string::npos) << recorded;
}

// It restarts the host that asked and no other process: not one that has ended, nor a later
// process given its number, nor another program; and it gives up on a host that does not end.
TEST(RestartProgram, RestartsNoProcessButTheHostThatAskedForIt) {
    ReportSandbox sandbox;
    const std::string started = processStartTime(getpid());
    const pid_t ended = fork();  // ends once its start time is known
    if (ended == 0) {
        pause();
    }
    const std::string endedStart = processStartTime(ended);
    kill(ended, SIGKILL);
    waitpid(ended, nullptr, 0);
    const std::string program = " --host-program " + kSelfProgram;
    const struct {
        std::string arguments;
        int status;  // 1: refused at once; 3: waited for the host (this test process) in vain
    } cases[] = {
        {"", 1},
        {"--host-pid " + std::to_string(ended) + " --host-start " + endedStart + program, 1},
        {"--host-pid " + kSelf + " --host-start 1" + program, 1},
        {"--host-pid " + kSelf + " --host-start " + started + " --host-program /usr/bin/true", 1},
        {"--host-pid " + kSelf + " --host-start " + started + program, 3},
    };
    const fs::path errors = sandbox.root() / "errors";
    for (const auto& example : cases) {
        // Ten seconds is far beyond the wait limit: one that is still waiting never ends.
        const std::string command = "VMRESTART_WAIT_LIMIT_MS=200 timeout -s KILL 10 '" +
                                    std::string(ANNALEX_RESTART_PROGRAM) + "' " +
                                    example.arguments + " 2> '" + errors.string() + "'";
        const int status = std::system(command.c_str());
        const std::string text = ReportSandbox::read(errors);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == example.status) << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        EXPECT_NE(text.find(example.status == 3 ? "(process " + kSelf + ")" : "VmRestart"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace annalex::testing
