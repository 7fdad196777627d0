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

TEST(ReportText, EveryLineBreakOfTheDescriptionBecomesCrLf) {
    const struct {
        const char* typed;
        const char* written;
    } cases[] = {
        {"one\ntwo", "one\r\ntwo"},    // a text box's own breaks
        {"one\r\ntwo", "one\r\ntwo"},  // already CR LF: kept
        {"one\rtwo\n\n", "one\r\ntwo\r\n\r\n"},
        {"\n\r", "\r\n\r\n"},  // LF then CR: two breaks
        {"no break", "no break"},
    };
    for (const auto& example : cases) {
        EXPECT_EQ(withCrLf(example.typed), example.written) << example.typed;
    }
}

}  // namespace
}  // namespace annalex::report
