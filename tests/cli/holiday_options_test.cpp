// `annalex generate --holidays` and `--weekend`: the usage errors that name the option or the
// file at fault, and the filled values they change.

#include <gtest/gtest.h>

#include <fstream>

#include "program_run.hpp"

namespace annalex::testing {
namespace {

std::vector<std::string> generateIso(std::vector<std::string> more) {
    std::vector<std::string> arguments = {"generate",   "--quiet", "--output-format", "jsonl",
                                          "--calendar", "iso",     "--start",         "1-6-2021",
                                          "--end",      "1-6-2021"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

TEST(HolidayOptions, UsageErrorsNameTheOptionOrFile) {
    TemporaryDirectory folder;
    const auto rules = folder.path() / "office.rules";
    std::ofstream(rules) << "include gb-eng\n12-24 = Closed\n1st tues 12 = Party\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--levels", "Day", "--holidays", "us"}, "--holidays: only with --fill-attributes"},
        {{"--levels", "Day", "--weekend", "sat,sun"}, "--weekend: only with --fill-attributes"},
        {{"--levels", "Day", "--fill-attributes", "--weekend", "sat,sunday"}, "--weekend"},
        {{"--levels", "Day", "--fill-attributes", "--holidays", rules.string()},
         rules.string() + ":3: unknown weekday 'tues'"},
        {{"--levels", "Day", "--fill-attributes", "--holidays", "xx"},
         "cannot read holiday rules file 'xx'"},
    };
    for (const auto& [arguments, message] : cases) {
        const ProgramRun run = runAnnalex(generateIso(arguments));
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
}

TEST(HolidayOptions, HolidaysAndWeekendReachTheDays) {
    const ProgramRun run = runAnnalex(generateIso(
        {"--fill-attributes", "--holidays", "us", "--weekend", "sun", "--levels", "Year,Day"}));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(
        run.out.find(R"x("name":"Fri 31 Dec_2021","order":362,"parent":"2021","attributes":)x"),
        std::string::npos);
    EXPECT_NE(run.out.find(R"x("DayHoliday":"New Year's Day (observed)","DayWeekend":"No")x"),
              std::string::npos);
    EXPECT_NE(run.out.find(R"x("DayWeekday":"Saturday","DayHoliday":"","DayWeekend":"No")x"),
              std::string::npos);
    // 364 days less 52 Sundays, eleven holidays observed on a weekday and three Saturday ones.
    EXPECT_NE(run.out.find(R"x("YearNumberOfWorkingDays":"298")x"), std::string::npos);
}

}  // namespace
}  // namespace annalex::testing
