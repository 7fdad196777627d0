// The log's texts and the build information they carry.

#include "report/report_text.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <regex>

#include "report/build_info.hpp"

namespace annalex::report {
namespace {

TEST(BuildInfo, TheVersionIsTheProjectsAndTheCompileStampIsDayMonthYear) {
    EXPECT_EQ(ThisBuild().versionText(), ANNALEX_PROJECT_VERSION);
    EXPECT_TRUE(std::regex_match(
        ThisBuild().compiledText(),
        std::regex(R"([0-3][0-9]/[01][0-9]/[0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-5][0-9])")))
        << ThisBuild().compiledText();
    EXPECT_EQ(compiledStamp("Jul 23 2001", "22:14:39"), "23/07/2001 22:14:39");
    EXPECT_EQ(compiledStamp("Dec  6 2026", "01:02:03"), "06/12/2026 01:02:03");
}

TEST(ReportText, GeneralDateIsTheLocalesRepresentationTrimmed) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ::setenv("LC_ALL", "C", 1);
    using namespace std::chrono;
    // "%c" in the C locale pads a one-digit day with a blank.
    EXPECT_EQ(generalDateText(sys_days{year{2026} / 12 / 6} + hours{9} + minutes{5}),
              "Sun Dec  6 09:05:00 2026");
}

}  // namespace
}  // namespace annalex::report
