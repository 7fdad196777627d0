// The command line's failure report appended to the error log of the installation when
// "Installed" is set. (What standard error shows is the generate tests' business.)

#include <gtest/gtest.h>

#include <regex>

#include "program_run.hpp"
#include "report/report_sandbox.hpp"

namespace annalex::testing {
namespace {

// An empty start day box fails the date check with a type mismatch, which the trap reports.
const std::vector<std::string> kFailingRun = {"generate", "--quiet",     "--levels",
                                              "Year",     "--start-day", ""};

TEST(ConsoleReport, EachFailureIsAppendedToTheLogOfTheInstallation) {
    ReportSandbox sandbox;
    for (int run = 1; run <= 2; ++run) {
        const ProgramRun result = runAnnalex(kFailingRun);
        EXPECT_EQ(result.status, 3) << result.err;
    }
    // The trap's own lines are the ones standard error shows (the generate tests pin them);
    // the log wraps them in its header and the command line's description.
    const std::string entry =
        "Date & Time    : [^\r\n]+\r\n"
        "Date Compiled  : [0-3][0-9]/[01][0-9]/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n"
        "Build          : " ANNALEX_PROJECT_VERSION
        "\r\n"
        "Module         : AnnalexCtrl\r\n(.+\r\n){5}"
        "Description    : Reported by the annalex command line, which has no report form\r\n"
        "-{48}\r\n";
    const std::string log = ReportSandbox::read(sandbox.errorLogs() / "VmError.log");
    EXPECT_TRUE(std::regex_match(log, std::regex(entry + entry))) << log;
    // --version prints the build number the log carries.
    EXPECT_EQ(runAnnalex({"--version"}).out, ANNALEX_PROJECT_VERSION "\n");
}

// Without an installation nothing is logged; a log that cannot be written is said, and the
// status stays the failure's.
TEST(ConsoleReport, NoInstallationOrAnUnwritableLogLeavesTheStatus) {
    ReportSandbox sandbox;
    ReportSandbox::setSetting("Installed", "");
    EXPECT_EQ(runAnnalex(kFailingRun).status, 3);
    EXPECT_FALSE(std::filesystem::exists(sandbox.errorLogs() / "VmError.log"));
    ReportSandbox::setSetting("Installed", (sandbox.root() / "missing").string());
    const ProgramRun result = runAnnalex(kFailingRun);
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.err.find("annalex: the error log was not written: '" +
                              (sandbox.root() / "missing" / "Error Logs" / "VmError.log").string()),
              std::string::npos)
        << result.err;
}

}  // namespace
}  // namespace annalex::testing
