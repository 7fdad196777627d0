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

const std::string kFailureLines =
    "Module         : AnnalexCtrl\r\n"
    "Procedure      : Private Function dateFormatValid(aDate As String, dateType As Integer) "
    "As Boolean\r\n"
    "Number         : 13\r\n"
    "Description    : Type mismatch\r\n"
    "Last DLL Error : 0\r\n"
    "Source         : Annalex\r\n";

TEST(ConsoleReport, EachFailureIsAppendedToTheLogOfTheInstallation) {
    ReportSandbox sandbox;
    for (int run = 1; run <= 2; ++run) {
        const ProgramRun result = runAnnalex(kFailingRun);
        EXPECT_EQ(result.status, 3) << result.err;
    }
    // No system call failed before the failure: its last system error is 0.
    const std::string entry =
        "Date & Time    : [^\r\n]+\r\n"
        "Date Compiled  : [0-3][0-9]/[01][0-9]/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n"
        "Build          : " ANNALEX_PROJECT_VERSION "\r\n" +
        std::regex_replace(kFailureLines, std::regex(R"([()])"), R"(\$&)") +
        "Description    : Reported by the annalex command line, which has no report form\r\n"
        "-{48}\r\n";
    const std::string log = ReportSandbox::read(sandbox.errorLogs() / "VmError.log");
    EXPECT_TRUE(std::regex_match(log, std::regex(entry + entry))) << log;
}

TEST(ConsoleReport, VersionIsTheBuildNumberTheLogCarries) {
    const ProgramRun result = runAnnalex({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, ANNALEX_PROJECT_VERSION "\n");
}

TEST(ConsoleReport, WithoutAnInstallationNothingIsLogged) {
    ReportSandbox sandbox;
    ReportSandbox::setSetting("Installed", "");
    const ProgramRun result = runAnnalex(kFailingRun);
    EXPECT_EQ(result.status, 3);
    EXPECT_FALSE(std::filesystem::exists(sandbox.errorLogs() / "VmError.log"));
}

TEST(ConsoleReport, ALogThatCannotBeWrittenIsSaidAndTheStatusStays) {
    ReportSandbox sandbox;
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
