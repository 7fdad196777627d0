// `annalex generate` with the week-based calendars: the range of whole years and the member
// names; --with-dates and --fill-attributes on every calendar; holidays and weekend days.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "program_run.hpp"

namespace annalex::testing {
namespace {

std::vector<std::string> generate(std::vector<std::string> more) {
    std::vector<std::string> arguments = {"generate", "--quiet", "--output-format", "jsonl"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
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

// ISO week-years 2019 to 2027 from a range that starts and ends inside weeks of the
// neighbouring week-years: 30 December 2019 is in ISO 2020, 1 January 2027 in ISO 2026.
TEST(CalendarOptions, IsoRangeIsWholeWeekYearsWith53WeeksIn2020And2026) {
    const ProgramRun run = runAnnalex(generate({"--calendar", "iso", "--levels", "Year,Week",
                                                "--start", "30-12-2019", "--end", "1-1-2027"}));
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, int> weeks;
    std::vector<std::string> years;
    for (const Line& line : members(run.out)) {
        if (line.level == "Year") {
            years.push_back(line.name);
        } else {
            ++weeks[line.parent];
            EXPECT_EQ(line.name, "W" + std::to_string(weeks[line.parent]) + "_ " + line.parent);
        }
    }
    EXPECT_EQ(years,
              (std::vector<std::string>{"2020", "2021", "2022", "2023", "2024", "2025", "2026"}));
    EXPECT_EQ(weeks["2020"], 53);
    EXPECT_EQ(weeks["2021"], 52);
    EXPECT_EQ(weeks["2026"], 53);
}

// A single day picks its whole year: 1 January 2021 lies in the retail year 2020 that ends on
// Saturday 2 January 2021 (December, nearest); its 53rd week is the last of December's 5 + 1.
TEST(CalendarOptions, RetailYearOfADayAndItsNames) {
    const ProgramRun run = runAnnalex(generate(
        {"--calendar", "retail", "--levels", "Year,Quarter,Month,Week,Day", "--year-end-rule",
         "nearest", "--start", "1-1-2021", "--end", "1-1-2021", "--month-format", "MMM"}));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<Line> lines = members(run.out);
    ASSERT_EQ(lines.size(), 1u + 4u + 12u + 53u + 371u);
    EXPECT_EQ(lines[0].name, "2020");
    EXPECT_EQ(lines[1].name, "Qtr 1");
    EXPECT_EQ(lines[2].name, "Jan");
    EXPECT_EQ(lines[3].name, "Wk 1");
    EXPECT_EQ(lines[4].name, "Sun 29 Dec_2019");
    EXPECT_EQ(lines.back().name, "Sat 2 Jan_2021");
    EXPECT_EQ(lines.back().parent, "Wk 53");
    std::map<std::string, int> weeksPerMonth;
    for (const Line& line : lines) {
        if (line.level == "Week") {
            ++weeksPerMonth[line.parent];
        }
    }
    EXPECT_EQ(weeksPerMonth["Jan"], 4);
    EXPECT_EQ(weeksPerMonth["Mar"], 5);
    EXPECT_EQ(weeksPerMonth["Dec"], 6);
}

// Over two centuries and several rules, every retail year has twelve months of twelve
// different names (each after the calendar month that holds most of its days), and the names
// of each level are unique across the whole range.
TEST(CalendarOptions, RetailMonthNamesAreDistinctEveryYear) {
    const std::vector<std::vector<std::string>> optionSets = {
        {"--pattern", "445"},
        {"--pattern", "544", "--year-end-month", "1", "--year-end-rule", "nearest"},
        {"--pattern", "454", "--year-end-month", "6", "--week-start", "mon", "--year-name",
         "start"},
    };
    for (const auto& optionSet : optionSets) {
        std::vector<std::string> arguments = {
            "--calendar", "retail", "--levels",   "Year,Month",     "--start",
            "1-1-1900",   "--end",  "31-12-2100", "--month-format", "MMMM"};
        arguments.insert(arguments.end(), optionSet.begin(), optionSet.end());
        const ProgramRun run = runAnnalex(generate(arguments));
        ASSERT_EQ(run.status, 0) << run.err;
        std::map<std::string, std::set<std::string>> monthsOfYear;
        std::set<std::string> names;
        std::size_t count = 0;
        for (const Line& line : members(run.out)) {
            names.insert(line.name);
            ++count;
            if (line.level == "Month") {
                monthsOfYear[line.parent].insert(line.name);
            }
        }
        EXPECT_EQ(names.size(), count) << optionSet[1];
        ASSERT_GE(monthsOfYear.size(), 201u) << optionSet[1];
        for (const auto& [year, months] : monthsOfYear) {
            EXPECT_EQ(months.size(), 12u) << optionSet[1] << " " << year;
        }
    }
}

// Periods are numbered; the long quarter holds four of them; without Year the top members are
// the quarters of every year in the range, with the year suffix.
TEST(CalendarOptions, PeriodsAndTheLongQuarter) {
    const ProgramRun run = runAnnalex(
        generate({"--calendar", "periods13", "--levels", "Quarter,Month", "--long-quarter", "2",
                  "--start", "1-6-2020", "--end", "1-6-2021", "--month-format", "MMMM"}));
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, int> periods;
    std::vector<std::string> quarters;
    for (const Line& line : members(run.out)) {
        if (line.level == "Quarter") {
            quarters.push_back(line.name);
        } else {
            ++periods[line.parent];
        }
    }
    EXPECT_EQ(quarters,
              (std::vector<std::string>{"Quarter 1_ 2020", "Quarter 2_ 2020", "Quarter 3_ 2020",
                                        "Quarter 4_ 2020", "Quarter 1_ 2021", "Quarter 2_ 2021",
                                        "Quarter 3_ 2021", "Quarter 4_ 2021"}));
    EXPECT_EQ(periods["Quarter 2_ 2021"], 4);
    EXPECT_EQ(periods["Quarter 4_ 2021"], 3);
    const auto lines = members(run.out);
    EXPECT_EQ(lines[1].name, "Period 1_ 2020");
}

// Every calendar takes both options: --with-dates only adds the dates (jsonl keys, csv columns)
// and --fill-attributes only changes attribute values and defines the working-day counts, never
// the members. Whether the dates and values are right is the calendars' own tests' business.
TEST(CalendarOptions, DatesAndFilledAttributesLeaveTheMembersAlone) {
    static const std::regex kJsonDates(
        R"re(,"first":"\d{4}-\d\d-\d\d","last":"\d{4}-\d\d-\d\d")re");
    static const std::regex kCsvDates(
        R"re(,(first,last|\d{4}-\d\d-\d\d,\d{4}-\d\d-\d\d)(?=[,\r]))re");
    static const std::regex kAttributes(R"re(,"attributes":\{.*)re");
    static const std::regex kWorkingDays(R"re(,\["\w+NumberOfWorkingDays","[^"]*"\])re");
    const std::pair<std::string, std::string> calendars[] = {
        {"gregorian", "Year,Quarter,Month,Week,Day"},
        {"fiscal", "Year,Quarter,Month,Week,Day"},
        {"iso", "Year,Week,Day"},
        {"retail", "Year,Quarter,Month,Week,Day"},
        {"periods13", "Year,Quarter,Month,Week,Day"}};
    for (const auto& [calendar, levels] : calendars) {
        for (const std::string format : {"jsonl", "csv"}) {
            const std::string what = calendar + ' ' + format;
            const auto run = [&](const std::string& option) {
                std::vector<std::string> arguments = {"generate",  "--quiet",    "--output-format",
                                                      format,      "--calendar", calendar,
                                                      "--levels",  levels,       "--start",
                                                      "15-4-2003", "--end",      "14-4-2004"};
                if (!option.empty()) {
                    arguments.push_back(option);
                }
                const ProgramRun result = runAnnalex(arguments);
                EXPECT_EQ(result.status, 0) << what << ' ' << result.err;
                return result.out;
            };
            const std::string plain = run("");
            const std::string dated = run("--with-dates");
            EXPECT_NE(dated, plain) << what;
            EXPECT_EQ(std::regex_replace(dated, format == "jsonl" ? kJsonDates : kCsvDates, ""),
                      plain)
                << what;
            if (format == "jsonl") {
                const std::string filled = run("--fill-attributes");
                EXPECT_NE(filled, plain) << what;
                EXPECT_EQ(std::regex_replace(std::regex_replace(filled, kWorkingDays, ""),
                                             kAttributes, ""),
                          std::regex_replace(plain, kAttributes, ""))
                    << what;
            }
        }
    }
}

// The holiday set and the weekend days reach the days' values and the working-day counts.
TEST(CalendarOptions, HolidaysAndWeekendReachTheDays) {
    const ProgramRun run = runAnnalex(generate({"--calendar", "iso", "--start", "1-6-2021", "--end",
                                                "1-6-2021", "--fill-attributes", "--holidays", "us",
                                                "--weekend", "sun", "--levels", "Year,Day"}));
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

// --language names the months, weekdays and holidays of the page's calendars and the others.
TEST(CalendarOptions, LanguageNamesMonthsWeekdaysAndHolidays) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> runs = {
        {{"--levels", "Year,Month,Day", "--month-format", "MMMM", "--fill-attributes", "--holidays",
          "de"},
         {R"x("name":"Januar_1","order":1,"parent":"Januar")x",
          R"x("DayWeekday":"Freitag","DayHoliday":"Neujahr")x"}},
        {{"--calendar", "iso", "--levels", "Year,Day", "--day-format", "DDD"},
         {R"x("name":"Fr. 1 Jan._2021")x"}},
    };
    for (auto [arguments, expected] : runs) {
        for (const char* more : {"--language", "de", "--start", "1-1-2021", "--end", "1-1-2021"}) {
            arguments.emplace_back(more);
        }
        const ProgramRun run = runAnnalex(generate(arguments));
        ASSERT_EQ(run.status, 0) << run.err;
        for (const std::string& text : expected) {
            EXPECT_NE(run.out.find(text), std::string::npos) << text;
        }
    }
}

}  // namespace
}  // namespace annalex::testing
