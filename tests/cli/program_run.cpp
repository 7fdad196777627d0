#include "program_run.hpp"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "support/child_process.hpp"

namespace annalex::testing {

namespace {

// Starts the program with its standard input from /dev/null, its standard output as asked
// (into outPath when captured) and its standard error into errPath.
pid_t spawn(const std::vector<std::string>& arguments, const std::filesystem::path& outPath,
            const std::filesystem::path& errPath, RunAs as, Limits limits, StandardOutput output) {
    // A pipe whose reader is gone before the program starts: its first write meets no reader.
    int closedPipe[2] = {-1, -1};
    const bool toPipe =
        output == StandardOutput::ClosedPipe || output == StandardOutput::ClosedPipeSignalIgnored;
    if (toPipe && ::pipe(closedPipe) == 0) {
        ::close(closedPipe[0]);
    }
    const pid_t child = fork();
    if (child != 0) {
        if (toPipe) {
            ::close(closedPipe[1]);
        }
        return child;
    }
    const int out = toPipe ? closedPipe[1]
                    : output == StandardOutput::DeviceFull
                        ? ::open("/dev/full", O_WRONLY)
                        : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::signal(SIGPIPE, output == StandardOutput::ClosedPipeSignalIgnored ? SIG_IGN : SIG_DFL);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = ::open("/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (as == RunAs::Unprivileged && geteuid() == 0) {
        constexpr uid_t kNobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0 ||
            access(ANNALEX_PROGRAM, X_OK) != 0) {  // e.g. a build below a private home
            _exit(kCannotDropPrivileges);
        }
    }
    for (const auto& [resource, value] :
         {std::pair{RLIMIT_AS, limits.addressSpace}, std::pair{RLIMIT_FSIZE, limits.fileSize}}) {
        if (value != 0) {
            const rlimit limit{value, value};
            setrlimit(resource, &limit);
        }
    }
    std::vector<char*> argv;
    std::string program = ANNALEX_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (auto& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

}  // namespace

ProgramRun runAnnalex(const std::vector<std::string>& arguments, RunAs as, Limits limits,
                      StandardOutput output) {
    // Output goes to files rather than pipes, so a large output cannot block the child.
    TemporaryFolder scratch;
    const auto outPath = scratch.path() / "out";
    const auto errPath = scratch.path() / "err";
    ProgramRun run;
    run.status = waitForChild(spawn(arguments, outPath, errPath, as, limits, output));
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

}  // namespace annalex::testing
