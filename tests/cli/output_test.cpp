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
#include <tuple>

#include "cube/cube_store.hpp"
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

TEST(Output, AFileIsReplacedWholeKeepingItsModeOwnerAndLinks) {
    TemporaryFolder directory;
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
    // The id the next process is likely to get, and a few after it.
    long next = 0;
    if (std::ifstream("/proc/sys/kernel/ns_last_pid") >> next) {
        for (long pid = next + 1; pid <= next + 400; ++pid) {
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
    const unsigned owner = root ? 65534 : ::geteuid();
    EXPECT_EQ(std::tuple(info.st_mode & 07777, info.st_uid, info.st_gid),
              std::tuple(0640u, owner, root ? 65534 : ::getegid()));

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
    // A folder that does not exist is named.
    const ProgramRun missing = runAnnalex(to(directory.path() / "missing" / "time.csv"));
    EXPECT_EQ(missing.status, 4);
    EXPECT_NE(missing.err.find("missing"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.out, "");
}

// A file the program may not write, or whose owner a replacement could not keep, is left as it
// was, with a message naming it (the program runs as an unprivileged user for this).
TEST(Output, AFileThatMayNotBeReplacedIsLeftAsItWas) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give the files another owner";
    }
    TemporaryFolder directory;
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
        EXPECT_EQ(std::tuple(info.st_uid, info.st_mode & 07777), std::tuple(0u, mode)) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(directory.path()), fs::directory_iterator()), 2)
        << "no temporary file is left";
}

// A failed write to standard output, or its final flush, ends the program with status 4 and a
// message giving the cause; a reader that has gone ends it quietly, as SIGPIPE does.
TEST(Output, StandardOutputIsCheckedToTheEnd) {
    TemporaryFolder directory;
    ::setenv("ANNALEX_SETTINGS_DIR", (directory.path() / "settings").c_str(), 1);
    ASSERT_EQ(runAnnalex({"settings", "write", "HKCU", "K", "v", "S", "value"}).status, 0);
    const std::vector<std::string> read = {"settings", "read", "HKCU", "K", "v", "S"};
    const std::vector<std::string> decade = {"generate",   "--levels", "Year,Month,Day", "--start",
                                             "01-01-2000", "--end",    "31-12-2010",     "--quiet"};
    const std::string full = "No space left on device";
    using enum StandardOutput;
    for (const auto& [arguments, output, limits, cause] :
         std::vector<std::tuple<std::vector<std::string>, StandardOutput, Limits, std::string>>{
             {kYear, DeviceFull, {}, full},
             {decade, Captured, {0, 16384}, "File too large"},
             {read, DeviceFull, {}, full},
             {{"--version"}, DeviceFull, {}, full},
             {decade, ClosedPipe, {}, ""},
             {decade, ClosedPipeSignalIgnored, {}, ""},
             {read, ClosedPipeSignalIgnored, {}, ""}}) {
        const ProgramRun run = runAnnalex(arguments, RunAs::Caller, limits, output);
        EXPECT_EQ(run.status, cause.empty() ? 128 + SIGPIPE : 4) << arguments[0] << ": " << run.err;
        EXPECT_EQ(run.err,
                  cause.empty() ? "" : "annalex: cannot write standard output: " + cause + "\n");
    }
    ::unsetenv("ANNALEX_SETTINGS_DIR");
}

// The store is saved while the dimension is printed: a reader that has gone still ends the
// program as SIGPIPE does, but only once the store holds the whole calendar.
TEST(Output, AReaderThatHasGoneLeavesTheStoreSaved) {
    TemporaryFolder directory;
    const fs::path store = directory.path() / "century.cube";
    for (const StandardOutput output :
         {StandardOutput::ClosedPipe, StandardOutput::ClosedPipeSignalIgnored}) {
        fs::remove(store);
        const ProgramRun run =
            runAnnalex({"generate", "--levels", "Year,Month,Day", "--start", "01-01-1900", "--end",
                        "31-12-2099", "--quiet", "--db", store.string()},
                       RunAs::Caller, {}, output);
        EXPECT_EQ(run.status, 128 + SIGPIPE) << run.err;
        ASSERT_TRUE(fs::exists(store));
        const auto time = cube::CubeStore::open(store).load()->dimension("Time");
        ASSERT_NE(time, nullptr);
        ASSERT_EQ(time->hierarchies().size(), 1u);
        EXPECT_EQ(time->hierarchies().front()->memberCount(), 200u + 2400u + 73049u);
    }
}

}  // namespace
}  // namespace annalex::testing
