// Where the dimension goes: a file named by --output is replaced whole and safely, through
// links and against names planted beside it, keeping its owner and mode; every write to
// standard output is checked.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "program_run.hpp"

namespace annalex::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kYear = {"generate", "--levels",        "Year,Month",
                                        "--quiet",  "--output-format", "csv"};

std::vector<std::string> to(const fs::path& output) {
    std::vector<std::string> arguments = kYear;
    arguments.insert(arguments.end(), {"--output", output.string()});
    return arguments;
}

// The id the next process started on the machine is likely to get, or 0 when unknown.
long nextProcessId() {
    std::ifstream last("/proc/sys/kernel/ns_last_pid");
    long pid = 0;
    return last >> pid ? pid + 1 : 0;
}

TEST(Output, AFileIsReplacedWholeKeepingItsModeOwnerAndLinks) {
    TemporaryDirectory directory;
    const std::string csv = runAnnalex(kYear).out;
    ASSERT_NE(csv, "");

    // Links planted on temporary names beside the output never lead the write elsewhere.
    const auto output = directory.path() / "time.csv";
    const auto victim = directory.path() / "victim";
    std::ofstream(victim) << "victim";
    std::ofstream(output) << "old";
    ::chmod(output.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(output.c_str(), 65534, 65534), 0);
    }
    if (const long next = nextProcessId(); next != 0) {
        for (long pid = next; pid < next + 400; ++pid) {
            fs::create_symlink(victim, output.string() + ".tmp-" + std::to_string(pid));
        }
    }
    const ProgramRun run = runAnnalex(to(output));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(victim), "victim");
    EXPECT_FALSE(fs::is_symlink(output));
    EXPECT_EQ(readFile(output), csv);
    struct stat info {};
    ASSERT_EQ(::stat(output.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }

    // A link is written through, to a file that exists or not; the link stays.
    const auto elsewhere = directory.path() / "elsewhere";
    fs::create_directory(elsewhere);
    std::ofstream(elsewhere / "kept.csv") << "old";
    fs::create_symlink(elsewhere / "kept.csv", directory.path() / "link.csv");
    fs::create_symlink("elsewhere/new.csv", directory.path() / "dangling.csv");
    for (const auto& [link, file] :
         {std::pair{"link.csv", "kept.csv"}, std::pair{"dangling.csv", "new.csv"}}) {
        const ProgramRun through = runAnnalex(to(directory.path() / link));
        EXPECT_EQ(through.status, 0) << link << ": " << through.err;
        EXPECT_TRUE(fs::is_symlink(directory.path() / link)) << link;
        EXPECT_EQ(readFile(elsewhere / file), csv) << link;
    }
}

// A file the program may not write, or whose owner a replacement could not keep, is left as it
// was, with a message naming it (the program runs as an unprivileged user for this).
TEST(Output, AFileThatMayNotBeReplacedIsLeftAsItWas) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give the files another owner";
    }
    TemporaryDirectory directory;
    fs::permissions(directory.path(), fs::perms::all);  // anyone may create files here
    for (const auto& [name, mode] :
         {std::pair{"read-only.csv", 0644u}, std::pair{"others.csv", 0666u}}) {
        const auto output = directory.path() / name;
        std::ofstream(output) << "old";
        ::chmod(output.c_str(), mode);
        const ProgramRun run = runAnnalex(to(output), RunAs::Unprivileged);
        if (run.status == kCannotDropPrivileges) {
            GTEST_SKIP() << "cannot run the program as an unprivileged user here";
        }
        EXPECT_EQ(run.status, 4) << name;
        EXPECT_NE(run.err.find("'" + output.string() + "'"), std::string::npos) << run.err;
        EXPECT_EQ(readFile(output), "old") << name;
        struct stat info {};
        ASSERT_EQ(::stat(output.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 0u) << name;
        EXPECT_EQ(info.st_mode & 07777, mode) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(directory.path()), fs::directory_iterator()), 2)
        << "no temporary file is left";
}

// A failed write to standard output, or its final flush, ends the program with status 4 and a
// message; a reader that has gone ends it quietly, as SIGPIPE does.
TEST(Output, StandardOutputIsCheckedToTheEnd) {
    TemporaryDirectory directory;
    ::setenv("ANNALEX_SETTINGS_DIR", (directory.path() / "settings").c_str(), 1);
    ASSERT_EQ(runAnnalex({"settings", "write", "HKCU", "K", "v", "S", "value"}).status, 0);
    const std::vector<std::string> decade = {"generate",   "--levels", "Year,Month,Day", "--start",
                                             "01-01-2000", "--end",    "31-12-2010",     "--quiet"};
    struct Case {
        std::vector<std::string> arguments;
        StandardOutput output;
        Limits limits;
        int status;
        std::string message;  // on standard error; empty: nothing at all
    };
    const std::string cannot = "annalex: cannot write standard output: ";
    const std::vector<Case> cases = {
        {kYear, StandardOutput::DeviceFull, {}, 4, cannot + "No space left on device"},
        {decade, StandardOutput::Captured, {0, 16384}, 4, cannot + "File too large"},
        {{"settings", "read", "HKCU", "K", "v", "S"},
         StandardOutput::DeviceFull,
         {},
         4,
         cannot + "No space left on device"},
        {{"--version"}, StandardOutput::DeviceFull, {}, 4, cannot + "No space left on device"},
        {decade, StandardOutput::ClosedPipe, {}, 128 + SIGPIPE, ""},
        {decade, StandardOutput::ClosedPipeSignalIgnored, {}, 128 + SIGPIPE, ""},
        {{"settings", "read", "HKCU", "K", "v", "S"},
         StandardOutput::ClosedPipeSignalIgnored,
         {},
         128 + SIGPIPE,
         ""},
    };
    for (const Case& c : cases) {
        const ProgramRun run = runAnnalex(c.arguments, RunAs::Caller, c.limits, c.output);
        EXPECT_EQ(run.status, c.status)
            << c.arguments[0] << " " << static_cast<int>(c.output) << ": " << run.err;
        if (c.message.empty()) {
            EXPECT_EQ(run.err, "") << c.arguments[0];
        } else {
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        }
    }
    ::unsetenv("ANNALEX_SETTINGS_DIR");
}

}  // namespace
}  // namespace annalex::testing
