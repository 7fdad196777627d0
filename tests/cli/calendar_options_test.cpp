// `annalex generate` with the week-based calendars: their options, the usage errors that name
// the option at fault, the range of whole years and the member names.

#include <gtest/gtest.h>

#include <chrono>
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

TEST(CalendarOptions, BadValuesAndCombinationsAreUsageErrorsNamingTheOption) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--calendar", "iso", "--levels", "Year,Month"}, "--levels"},
        {{"--calendar", "iso", "--levels", "Quarter,Week"}, "--levels"},
        {{"--calendar", "iso", "--levels", "Year", "--week-start", "mon"}, "--week-start"},
        {{"--calendar", "iso", "--levels", "Year", "--year-end-rule", "last"}, "--year-end-rule"},
        {{"--levels", "Year", "--pattern", "445"}, "--pattern"},
        {{"--calendar", "periods13", "--levels", "Year", "--pattern", "445"}, "--pattern"},
        {{"--calendar", "retail", "--levels", "Year", "--pattern", "455"}, "--pattern"},
        {{"--calendar", "retail", "--levels", "Year", "--year-end-month", "0"}, "--year-end-month"},
        {{"--calendar", "retail", "--levels", "Year", "--year-end-month", "13"},
         "--year-end-month"},
        {{"--calendar", "periods13", "--levels", "Year", "--long-quarter", "5"}, "--long-quarter"},
        {{"--calendar", "retail", "--levels", "Year", "--long-quarter", "2"}, "--long-quarter"},
        {{"--calendar", "retail", "--levels", "Year", "--week-start", "funday"}, "--week-start"},
        {{"--calendar", "fiscal", "--levels", "Year", "--year-name", "start"}, "--year-name"},
    };
    for (const auto& [arguments, option] : cases) {
        const ProgramRun run = runAnnalex(generate(arguments));
        EXPECT_EQ(run.status, 2) << option << run.err;
        EXPECT_NE(run.err.find(option), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << option;
    }
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

}  // namespace
}  // namespace annalex::testing

namespace annalex::testing {
namespace {

// The value of key on a jsonl member line; empty when absent.
std::string attribute(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\":\"";
    const std::size_t at = line.find(marker);
    if (at == std::string::npos) {
        return "";
    }
    const std::size_t from = at + marker.size();
    return line.substr(from, line.find('"', from) - from);
}

std::chrono::sys_days isoDay(const std::string& text) {
    return std::chrono::year(std::stoi(text.substr(0, 4))) /
           std::chrono::month(static_cast<unsigned>(std::stoi(text.substr(5, 2)))) /
           std::chrono::day(static_cast<unsigned>(std::stoi(text.substr(8, 2))));
}

// Filled attributes agree with each other and with the members' places: lengths match the
// first and last days, days count on through their year, and every day's month and week dates
// are those of the month and week it hangs below.
TEST(FillAttributes, ValuesAgreeWithTheMembersAndTheirParents) {
    for (const std::string key : {"retail", "periods13"}) {
        const ProgramRun run = runAnnalex(generate(
            {"--calendar", key, "--levels", "Year,Quarter,Month,Week,Day", "--fill-attributes",
             "--start", "1-1-2019", "--end", "31-12-2021", "--year-end-rule", "nearest"}));
        ASSERT_EQ(run.status, 0) << run.err;
        std::map<std::string, std::string> lineOf;  // member name -> its line
        int yearDays = 0;
        int quarterDays = 0;
        int dayInYear = 0;
        std::size_t days = 0;
        std::size_t at = 0;
        while (at < run.out.size()) {
            const std::size_t end = run.out.find('\n', at);
            const std::string line = run.out.substr(at, end - at);
            at = end + 1;
            const auto found = members(line);
            if (found.empty()) {
                continue;
            }
            const Line& member = found.front();
            lineOf[member.name] = line;
            if (member.level == "Year") {
                EXPECT_EQ(quarterDays, yearDays) << key;
                yearDays = std::stoi(attribute(line, "YearNumberOfDays"));
                EXPECT_EQ(attribute(line, "YearLeapYear"), yearDays == 371 ? "Yes" : "No");
                quarterDays = 0;
                dayInYear = 0;
            } else if (member.level == "Quarter") {
                quarterDays += std::stoi(attribute(line, "QuarterNumberOfDays"));
            } else if (member.level == "Month" || member.level == "Week") {
                const std::string prefix = member.level;
                const std::string in = member.level == "Month" ? "InMonth" : "InWeek";
                const auto first = isoDay(attribute(line, prefix + "Fst" + "Day" + in));
                const auto last = isoDay(attribute(line, prefix + "Lst" + "Day" + in));
                EXPECT_EQ((last - first).count() + 1,
                          std::stoi(attribute(line, prefix + "NumberOfDays")))
                    << line;
            } else {
                ++days;
                EXPECT_EQ(std::stoi(attribute(line, "DayNumberInYear")), ++dayInYear) << line;
                const std::string& week = lineOf[member.parent];
                const std::string& month = lineOf[members(week).front().parent];
                EXPECT_EQ(attribute(line, "DayFstDayInWeek"), attribute(week, "WeekFstDayInWeek"));
                EXPECT_EQ(attribute(line, "DayLstDayInMonth"),
                          attribute(month, "MonthLstDayInMonth"));
                const auto weekFirst = isoDay(attribute(week, "WeekFstDayInWeek"));
                const int inWeek = std::stoi(attribute(line, "DayNumberInWeek"));
                EXPECT_EQ(
                    std::chrono::weekday(weekFirst + std::chrono::days(inWeek - 1)).c_encoding(),
                    std::chrono::weekday(isoDay(attribute(line, "DayFstDayInYear")) +
                                         std::chrono::days(dayInYear - 1))
                        .c_encoding())
                    << line;
            }
        }
        EXPECT_EQ(quarterDays, yearDays) << key;
        EXPECT_GE(days, 3u * 364u) << key;
    }
}

}  // namespace
}  // namespace annalex::testing

namespace annalex::testing {
namespace {

// Dates nest (each member's days inside its parent's), days follow each other without gap, and
// the output without --with-dates is the output with it, less the two keys.
TEST(WithDates, MembersCarryNestedDatesAndOtherwiseTheOutputIsUnchanged) {
    const std::vector<std::string> arguments = {
        "--calendar",       "periods13", "--levels", "Year,Quarter,Month,Week,Day",
        "--start",          "1-1-2019",  "--end",    "31-12-2021",
        "--year-end-month", "3"};
    std::vector<std::string> withDates = arguments;
    withDates.push_back("--with-dates");
    const ProgramRun dated = runAnnalex(generate(withDates));
    const ProgramRun plain = runAnnalex(generate(arguments));
    ASSERT_EQ(dated.status, 0) << dated.err;
    ASSERT_EQ(plain.status, 0) << plain.err;
    static const std::regex kDates(
        R"re(,"first":"(\d{4}-\d\d-\d\d)","last":"(\d{4}-\d\d-\d\d)")re");
    EXPECT_EQ(std::regex_replace(dated.out, kDates, ""), plain.out);

    std::map<std::string, std::pair<std::string, std::string>> datesOf;
    std::string previousDay;
    std::size_t lines = 0;
    std::size_t at = 0;
    while (at < dated.out.size()) {
        const std::size_t end = dated.out.find('\n', at);
        const std::string line = dated.out.substr(at, end - at);
        at = end + 1;
        const auto found = members(line);
        if (found.empty()) {
            continue;
        }
        ++lines;
        std::smatch match;
        ASSERT_TRUE(std::regex_search(line, match, kDates)) << line;
        const std::string first = match[1];
        const std::string last = match[2];
        EXPECT_LE(first, last) << line;
        datesOf[found.front().name] = {first, last};
        if (!found.front().parent.empty()) {
            const auto& parent = datesOf.at(found.front().parent);
            EXPECT_LE(parent.first, first) << line;
            EXPECT_GE(parent.second, last) << line;
        }
        if (found.front().level == "Day") {
            EXPECT_EQ(first, last);
            if (!previousDay.empty()) {
                using namespace std::chrono;
                const auto day = [](const std::string& text) {
                    return sys_days(
                        year(std::stoi(text.substr(0, 4))) /
                        month(static_cast<unsigned>(std::stoi(text.substr(5, 2)))) /
                        std::chrono::day(static_cast<unsigned>(std::stoi(text.substr(8, 2)))));
                };
                EXPECT_EQ(day(first) - day(previousDay), days(1)) << line;
            }
            previousDay = first;
        }
    }
    EXPECT_GT(lines, 3u * 364u);
}

// The page's calendars take both options: --with-dates only adds the dates (jsonl keys, csv
// columns) and --fill-attributes only changes attribute values and defines the working-day
// counts, never the members.
TEST(WithDates, PageCalendarsTakeBothOptionsAndKeepTheirMembers) {
    static const std::regex kJsonDates(
        R"re(,"first":"\d{4}-\d\d-\d\d","last":"\d{4}-\d\d-\d\d")re");
    static const std::regex kCsvDates(
        R"re(,(first,last|\d{4}-\d\d-\d\d,\d{4}-\d\d-\d\d)(?=[,\r]))re");
    static const std::regex kAttributes(R"re(,"attributes":\{.*)re");
    static const std::regex kWorkingDays(R"re(,\["\w+NumberOfWorkingDays","[^"]*"\])re");
    for (const std::string calendar : {"gregorian", "fiscal"}) {
        for (const std::string format : {"jsonl", "csv"}) {
            const std::vector<std::string> arguments = {
                "generate",   "--quiet",   "--output-format", format,
                "--calendar", calendar,    "--levels",        "Year,Quarter,Month,Week,Day",
                "--start",    "15-4-2003", "--end",           "14-4-2005"};
            const auto with = [&](std::vector<std::string> more) {
                more.insert(more.begin(), arguments.begin(), arguments.end());
                const ProgramRun run = runAnnalex(more);
                EXPECT_EQ(run.status, 0) << calendar << ' ' << format << ' ' << run.err;
                return run.out;
            };
            const std::string plain = with({});
            const std::string dated = with({"--with-dates"});
            const std::string filled = with({"--fill-attributes"});
            const std::regex& dates = format == "jsonl" ? kJsonDates : kCsvDates;
            EXPECT_NE(dated, plain) << calendar << ' ' << format;
            EXPECT_EQ(std::regex_replace(dated, dates, ""), plain) << calendar << ' ' << format;
            if (format == "jsonl") {
                EXPECT_NE(filled, plain) << calendar;
                EXPECT_EQ(std::regex_replace(std::regex_replace(filled, kWorkingDays, ""),
                                             kAttributes, ""),
                          std::regex_replace(plain, kAttributes, ""))
                    << calendar;
            }
        }
    }
}

}  // namespace
}  // namespace annalex::testing
