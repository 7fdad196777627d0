#include "program_run.hpp"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace annalex::testing {

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TemporaryDirectory::TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "annalex-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

namespace {

[[noreturn]] void execAnnalex(const std::vector<std::string>& arguments) {
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

int statusOf(int raw) {
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

}  // namespace

RunningProgram::RunningProgram(const std::vector<std::string>& arguments) {
    pid_ = fork();
    if (pid_ == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execAnnalex(arguments);
    }
}

RunningProgram::~RunningProgram() {
    wait();
}

void RunningProgram::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
    }
}

int RunningProgram::wait() {
    if (pid_ > 0) {
        int raw = 0;
        waitpid(pid_, &raw, 0);
        status_ = statusOf(raw);
        pid_ = -1;
    }
    return status_;
}

ProgramRun runAnnalex(const std::vector<std::string>& arguments, RunAs as, Limits limits) {
    // Output goes to files rather than pipes, so a large output cannot block the child.
    TemporaryDirectory scratch;
    const auto outPath = scratch.path() / "out";
    const auto errPath = scratch.path() / "err";
    const pid_t child = fork();
    if (child == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
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
        if (limits.addressSpace != 0) {
            const rlimit limit{limits.addressSpace, limits.addressSpace};
            setrlimit(RLIMIT_AS, &limit);
        }
        if (limits.fileSize != 0) {
            const rlimit limit{limits.fileSize, limits.fileSize};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execAnnalex(arguments);
    }
    int raw = 0;
    waitpid(child, &raw, 0);
    ProgramRun run;
    run.status = statusOf(raw);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

}  // namespace annalex::testing
