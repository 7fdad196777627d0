// `annalex generate` with the week-based calendars: the range of whole years and the member
// names; holidays, weekend days and the language.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "program_run.hpp"

namespace annalex::testing {
namespace {

std::vector<std::string> generate(const std::vector<std::string>& more) {
    return with({"generate", "--quiet", "--output-format", "jsonl"}, more);
}

// Member lines as (level, name, parent).
struct Line {
    std::string level;
    std::string name;
    std::string parent;
};

std::vector<Line> members(const std::string& jsonl) {
    static const std::regex kMember(
        R"re(\{"kind":"member","level":"([^"]*)","name":"([^"]*)","order":-?\d+,"parent":(?:null|"([^"]*)"))re");
    std::vector<Line> result;
    for (auto it = std::sregex_iterator(jsonl.begin(), jsonl.end(), kMember);
         it != std::sregex_iterator(); ++it) {
        result.push_back({(*it)[1], (*it)[2], (*it)[3]});
    }
    return result;
}

// The week-based calendars with their options: the range is whole years (a day picks the year
// that holds it), members are named by the calendar, and each option reaches the calendar.
TEST(CalendarOptions, WeekBasedCalendarsTakeWholeYearsAndTheirOptions) {
    struct Case {
        std::vector<std::string> options;
        std::size_t members;
        std::vector<std::string> first;  // the first members' names, in order
        std::map<std::string, int> children;
    };
    const Case cases[] = {
        // 30 December 2019 lies in ISO 2020, 1 January 2027 in ISO 2026; both have 53 weeks.
        {{"--calendar", "iso", "--levels", "Year,Week", "--start", "30-12-2019", "--end",
          "1-1-2027"},
         7 + 53 + 5 * 52 + 53,
         {"2020", "W1_ 2020"},
         {{"2020", 53}, {"2021", 52}, {"2026", 53}}},
        // 31 December 2020 is a Thursday: the Saturday nearest it ends the retail year 2020 on
        // 2 January 2021, 53 weeks from Sunday 29 December 2019; the 53rd week is December's.
        {{"--calendar", "retail", "--levels", "Year,Quarter,Month,Week,Day", "--year-end-rule",
          "nearest", "--start", "1-1-2021", "--end", "1-1-2021", "--month-format", "MMM"},
         1 + 4 + 12 + 53 + 371,
         {"2020", "Qtr 1", "Jan", "Wk 1", "Sun 29 Dec_2019"},
         {{"Jan", 4}, {"Mar", 5}, {"Dec", 6}, {"Wk 53", 7}}},
        // Weeks from Monday, years ending on the last Sunday of June and named by their start:
        // 2020 runs from 29 June 2020 to 27 June 2021, its months 5-4-4 weeks, the first
        // named after July, which holds most of its days.
        {{"--calendar", "retail", "--levels", "Year,Quarter,Month,Week,Day", "--pattern", "544",
          "--week-start", "mon", "--year-end-month", "6", "--year-name", "start", "--start",
          "1-1-2021", "--end", "1-1-2021", "--month-format", "MMM"},
         1 + 4 + 12 + 52 + 364,
         {"2020", "Qtr 1", "Jul", "Wk 1", "Mon 29 Jun_2020"},
         {{"Jul", 5}, {"Aug", 4}, {"Qtr 4", 3}}},
        // Periods are numbered and the long quarter holds four; without Year the top members
        // are the quarters of every year, with the year suffix.
        {{"--calendar", "periods13", "--levels", "Quarter,Month", "--long-quarter", "2", "--start",
          "1-6-2020", "--end", "1-6-2021", "--month-format", "MMMM"},
         8 + 2 * 13,
         {"Quarter 1_ 2020", "Period 1_ 2020"},
         {{"Quarter 1_ 2020", 3}, {"Quarter 2_ 2021", 4}, {"Quarter 4_ 2021", 3}}},
    };
    for (const Case& c : cases) {
        const ProgramRun run = runAnnalex(generate(c.options));
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<Line> lines = members(run.out);
        EXPECT_EQ(lines.size(), c.members) << c.options[1];
        std::map<std::string, int> children;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            ++children[lines[i].parent];
            if (i < c.first.size()) {
                EXPECT_EQ(lines[i].name, c.first[i]) << c.options[1];
            }
        }
        for (const auto& [parent, count] : c.children) {
            EXPECT_EQ(children[parent], count) << c.options[1] << " " << parent;
        }
    }
}

// The holiday set, the weekend days and the language reach the days' names and values and the
// working-day counts.
TEST(CalendarOptions, HolidaysWeekendAndLanguageReachTheDays) {
    const ProgramRun run = runAnnalex(generate(
        {"--calendar", "iso", "--start", "1-6-2021", "--end", "1-6-2021", "--fill-attributes",
         "--holidays", "us", "--weekend", "sun", "--levels", "Year,Day", "--language", "de"}));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(R"x("name":"Fr. 31 Dez._2021","order":362,"parent":"2021")x"),
              std::string::npos);
    EXPECT_NE(run.out.find(R"x("DayHoliday":"New Year's Day (observed)","DayWeekend":"No")x"),
              std::string::npos);
    EXPECT_NE(run.out.find(R"x("DayWeekday":"Samstag","DayHoliday":"","DayWeekend":"No")x"),
              std::string::npos);
    // 364 days less 52 Sundays, eleven holidays observed on a weekday and three Saturday ones.
    EXPECT_NE(run.out.find(R"x("YearNumberOfWorkingDays":"298")x"), std::string::npos);
}

}  // namespace
}  // namespace annalex::testing
