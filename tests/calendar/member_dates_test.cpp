// Every calendar generated through the control with dates recorded and attributes filled:
// each member's recorded days lie inside its parent's (except where the page's calendars hang
// members outside their parents, checked on their own rules), and every filled attribute agrees
// with the member's own first and last day, its working days with its days' holidays; and the
// day table written from the same generation agrees with the hierarchy.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/day_table.hpp"
#include "calendar/holidays/holiday_calendar.hpp"
#include "calendar_test_support.hpp"
#include "common/failure.hpp"

namespace annalex::testing {
namespace {

namespace chr = std::chrono;
using Day = chr::sys_days;

constexpr int kY = 1, kQ = 2, kM = 4, kW = 8, kD = 16;

struct DatesCase {
    std::string name;
    std::string key;
    int mask;
    std::string start;  // day-month-year
    std::string end;
    calendar::CalendarOptions options{};
    std::string holidays{};
};

void PrintTo(const DatesCase& datesCase, std::ostream* out) {
    *out << datesCase.name;
}

// The page's calendars with the level sets that hang members in each of their ways, over two
// centuries where every level is chosen; the week-based calendars with every level over
// forty years (their own walks cover two centuries period by period).
std::vector<DatesCase> datesCases() {
    calendar::CalendarOptions nearest;
    nearest.yearEndRule = calendar::YearEndRule::Nearest;
    nearest.yearEndMonth = 1;
    const int all = kY | kQ | kM | kW | kD;
    return {
        {"gregorian_all", "gregorian", all, "1-1-1900", "31-12-2100", {}, "de"},
        {"gregorian_weeks_of_years", "gregorian", kY | kW | kD, "1-1-2004", "31-12-2006"},
        {"gregorian_days_of_years", "gregorian", kY | kD, "1-1-2000", "31-12-2001"},
        {"gregorian_top_months", "gregorian", kM | kD, "1-1-2024", "31-12-2024"},
        {"fiscal_april_15th", "fiscal", all, "15-4-1900", "14-4-2100"},
        {"fiscal_weeks_of_quarters", "fiscal", kY | kQ | kW | kD, "15-4-2003", "14-4-2005"},
        {"fiscal_days_of_years", "fiscal", kY | kD, "1-7-2003", "30-6-2005"},
        {"fiscal_days_of_months", "fiscal", kY | kM | kD, "1-3-2003", "28-2-2006"},
        {"iso", "iso", kY | kW | kD, "1-1-1990", "31-12-2030"},
        {"retail", "retail", all, "1-1-1990", "31-12-2030", nearest, "us"},
        {"periods13", "periods13", all, "1-1-1990", "31-12-2030", {}, "gb-eng"},
        // Short ranges whose day tables are read as well.
        {"gregorian_all_short", "gregorian", all, "1-1-2001", "31-12-2002", {}, "us"},
        {"retail_53_weeks", "retail", all, "1-6-2020", "1-6-2021", nearest},
        {"periods13_quarters_on_top", "periods13", kQ | kM, "1-1-2021", "31-12-2022"},
    };
}

// "15-4-2003" as the three texts a person types.
std::vector<std::string> dateTexts(const std::string& date) {
    const std::size_t first = date.find('-');
    const std::size_t second = date.find('-', first + 1);
    return {date.substr(0, first), date.substr(first + 1, second - first - 1),
            date.substr(second + 1)};
}

Day isoDay(const std::string& text) {
    return chr::year(std::stoi(text.substr(0, 4))) /
           chr::month(static_cast<unsigned>(std::stoi(text.substr(5, 2)))) /
           chr::day(static_cast<unsigned>(std::stoi(text.substr(8, 2))));
}

int span(Day first, Day last) {
    return static_cast<int>((last - first).count()) + 1;
}

// The calendar month that holds most days of [first, last], the earlier one on a tie.
int majorityMonth(Day first, Day last) {
    std::vector<std::pair<unsigned, int>> counts;  // (month, days), in order
    for (Day day = first; day <= last; day += chr::days(1)) {
        const auto month = static_cast<unsigned>(chr::year_month_day(day).month());
        if (counts.empty() || counts.back().first != month) {
            counts.emplace_back(month, 0);
        }
        ++counts.back().second;
    }
    return static_cast<int>(
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first);
}

struct Span {
    std::string level;
    Day first;
    Day last;
};

class MemberDates : public ::testing::TestWithParam<DatesCase> {
  protected:
    void SetUp() override {
        const DatesCase& c = GetParam();
        const auto start = dateTexts(c.start);
        const auto end = dateTexts(c.end);
        harness_.typeStart(start[0], start[1], start[2]);
        harness_.typeEnd(end[0], end[1], end[2]);
        harness_.tick(c.mask);
        ASSERT_TRUE(harness_.ctrl.chooseCalendar(c.key, c.options));
        harness_.ctrl.setRecordDates(true);
        harness_.ctrl.setFillAttributes(true);
        ASSERT_EQ(harness_.ctrl.setHolidays(c.holidays), "");
        harness_.pressOk();
        ASSERT_EQ(harness_.results, std::vector<bool>{true});
        ASSERT_TRUE(harness_.reporter.reports().empty());
    }
    bool pageCalendar() const {
        return GetParam().key == "gregorian" || GetParam().key == "fiscal";
    }

    // The days from first to last that are neither Saturday, Sunday nor a holiday.
    int workingDays(Day first, Day last) {
        const auto& holidays = harness_.ctrl.state().holidays;
        int days = 0;
        for (Day day = first; day <= last; day += chr::days(1)) {
            const chr::weekday weekday(day);
            days += weekday != chr::Saturday && weekday != chr::Sunday &&
                            !(holidays && holidays->isHoliday(day))
                        ? 1
                        : 0;
        }
        return days;
    }

    ControlHarness harness_;
};

// The page's calendars hang some members outside their parents: weeks are numbered from the
// Sunday week of the year's first day and shared out among months and quarters as in the start
// year, the days below a year are those of the calendar year of its number, and a fiscal
// February below its month counts the days of February in the year of the fiscal year's number.
bool pageOverhang(const Span& child, const Span& parent, const std::string& parentName) {
    if (child.level == "Week") {
        return chr::weekday(child.first) == chr::Sunday && span(child.first, child.last) == 7;
    }
    if (child.level == "Day" && parent.level == "Year") {
        return static_cast<int>(chr::year_month_day(child.first).year()) ==
               std::stoi(parentName.substr(0, 4));
    }
    return child.level == "Day" && parent.level == "Month" &&
           child.first == parent.last + chr::days(1) &&
           chr::year_month_day(parent.first).month() == chr::February;
}

TEST_P(MemberDates, NestInTheirParentsAndAgreeWithTheFilledAttributes) {
    const auto hierarchy = harness_.hierarchy();
    ASSERT_NE(hierarchy, nullptr);
    const Tree tree(*hierarchy);
    const std::vector<std::string> levels = levelNames(*hierarchy);
    std::vector<Span> above;  // the dates of the current member's ancestors, by depth
    std::map<std::string, int> weeksBelow;
    for (const Node& node : tree.nodes()) {
        const std::string& level = levels[node.level];
        if (level == "Week" && !node.parent.empty()) {
            ++weeksBelow[node.parent];
        }
    }
    std::size_t checked = 0;
    for (const Node& node : tree.nodes()) {
        const std::string& level = levels[node.level];
        const std::string what = level + " " + node.name;
        const auto dates = harness_.ctrl.memberDates(level, node.name);
        ASSERT_TRUE(dates.has_value()) << what;
        const Span own{level, isoDay(dates->first), isoDay(dates->second)};
        ASSERT_LE(own.first, own.last) << what;
        above.resize(static_cast<std::size_t>(node.depth));
        if (!above.empty()) {
            const Span& parent = above.back();
            const bool inside = parent.first <= own.first && own.last <= parent.last;
            EXPECT_TRUE(inside || (pageCalendar() && pageOverhang(own, parent, node.parent)))
                << what << " below " << node.parent;
        }
        above.push_back(own);

        std::map<std::string, std::string> a;
        hierarchy->forEachAttribute(
            node.id, [&](std::string_view key, std::string_view value) { a.emplace(key, value); });
        const int days = span(own.first, own.last);
        if (level == "Year" || level == "Quarter" || level == "Month") {
            EXPECT_EQ(a[level + "NumberOfWorkingDays"],
                      std::to_string(workingDays(own.first, own.last)))
                << what;
        }
        if (level == "Year") {
            EXPECT_EQ(a["YearNumberOfDays"], std::to_string(days)) << what;
            EXPECT_EQ(a["YearLeapYear"], days > 365 ? "Yes" : "No") << what;
            EXPECT_EQ(a["YearYearNo"], std::to_string(node.order)) << what;
        } else if (level == "Quarter" || level == "Month") {
            EXPECT_EQ(a[level + "NumberOfDays"], std::to_string(days)) << what;
            if (weeksBelow.contains(node.name)) {
                EXPECT_EQ(a[level + "NumberOfWeeks"], std::to_string(weeksBelow[node.name]))
                    << what;
            }
            if (level == "Month") {
                // Named (format "MM") after the month holding most of its days; periods13's
                // are numbered.
                if (GetParam().key != "periods13") {
                    EXPECT_EQ(node.name.substr(0, node.name.find('_')),
                              std::to_string(majorityMonth(own.first, own.last)))
                        << what;
                }
                EXPECT_EQ(isoDay(a["MonthFstDayInMonth"]), own.first) << what;
                EXPECT_EQ(isoDay(a["MonthLstDayInMonth"]), own.last) << what;
            }
        } else if (level == "Week") {
            EXPECT_EQ(isoDay(a["WeekFstDayInWeek"]), own.first) << what;
            EXPECT_EQ(isoDay(a["WeekLstDayInWeek"]), own.last) << what;
            EXPECT_EQ(a["WeekNumberOfDays"], std::to_string(days)) << what;
        } else {
            ASSERT_EQ(own.first, own.last) << what;
            const Day day = own.first;
            const chr::weekday weekday(day);
            EXPECT_EQ(a["DayDayNumber"],
                      std::to_string(static_cast<unsigned>(chr::year_month_day(day).day())))
                << what;
            EXPECT_EQ(a["DayWeekend"],
                      weekday == chr::Saturday || weekday == chr::Sunday ? "Yes" : "No")
                << what;
            const auto& holidays = harness_.ctrl.state().holidays;
            EXPECT_EQ(a["DayHoliday"], holidays ? holidays->nameOn(day) : "") << what;
            // Each enclosing period holds the day at the position the number says, and the
            // periods nest: week and month inside the quarter (when the calendar has them),
            // quarter inside the year.
            std::optional<Day> outerFirst;
            std::optional<Day> outerLast;
            for (const std::string period : {"Year", "Quarter", "Month", "Week"}) {
                const std::string fst = a["DayFstDayIn" + period];
                if (fst.empty()) {
                    continue;
                }
                const Day first = isoDay(fst);
                const Day last = isoDay(a["DayLstDayIn" + period]);
                EXPECT_LE(first, day) << what << " " << period;
                EXPECT_LE(day, last) << what << " " << period;
                EXPECT_EQ(a["DayNumberIn" + period], std::to_string(span(first, day)))
                    << what << " " << period;
                if (period != "Week" && outerFirst) {
                    EXPECT_LE(*outerFirst, first) << what << " " << period;
                    EXPECT_LE(last, *outerLast) << what << " " << period;
                }
                if (period != "Month") {
                    outerFirst = first;
                    outerLast = last;
                }
            }
            // Its week is the seven days of the calendar's weeks that hold it: the week it hangs
            // below, and for the page's calendars a Sunday week.
            const Day weekFirst = isoDay(a["DayFstDayInWeek"]);
            EXPECT_EQ(span(weekFirst, isoDay(a["DayLstDayInWeek"])), 7) << what;
            if (above.size() > 1 && above[above.size() - 2].level == "Week") {
                EXPECT_EQ(weekFirst, above[above.size() - 2].first) << what;
            }
            if (pageCalendar()) {
                EXPECT_EQ(chr::weekday(weekFirst), chr::Sunday) << what;
            }
        }
        ++checked;
    }
    EXPECT_GT(checked, 30u);
}

// RFC 4180 records: quoted fields may hold commas, doubled quotes and line breaks.
std::vector<std::vector<std::string>> csvRecords(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (quoted && text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            records.back().back() += text[++i];
        } else if (text[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && text[i] == ',') {
            records.back().emplace_back();
        } else if (!quoted && text.compare(i, 2, "\r\n") == 0) {
            records.emplace_back(1);
            ++i;
        } else {
            records.back().back() += text[i];
        }
    }
    records.pop_back();  // after the last line end
    return records;
}

// The day table of the same generation: one row per day of the lowest level's members, in
// date order, each a path of the hierarchy with the path's numbers, days and attributes.
class DayTableOfMemberDates : public MemberDates {};

TEST_P(DayTableOfMemberDates, RowsArePathsOfTheHierarchy) {
    const auto& hierarchy = *harness_.hierarchy();
    const std::vector<std::string> levels = levelNames(hierarchy);
    std::map<std::string, std::pair<std::string, std::map<std::string, std::string>>> byPath;
    std::set<Day> leafDays;
    std::vector<std::string> path{""};
    std::vector<int> counts;
    hierarchy.walkPreOrder([&](const cube::MemberView& m, int depth) {
        path.resize(static_cast<std::size_t>(depth) + 1);
        path.push_back(path.back() + '/' + std::string(m.name()));
        counts.resize(static_cast<std::size_t>(depth) + 1);
        auto& [number, attributes] = byPath[path.back()];
        number = std::to_string(++counts.back());
        hierarchy.forEachAttribute(m.id, [&](std::string_view key, std::string_view value) {
            attributes[calendar::attributeColumn(key).name] = value == "Yes"  ? "true"
                                                              : value == "No" ? "false"
                                                                              : std::string(value);
        });
        if (m.levelPosition() + 1 == levels.size()) {
            const auto dates = *harness_.ctrl.memberDates(levels.back(), m.name());
            for (Day day = isoDay(dates.first); day <= isoDay(dates.second); day += chr::days(1)) {
                leafDays.insert(day);
            }
        }
    });
    const auto table = [&](const calendar::CalendarState& state) {
        std::ostringstream out;
        calendar::DayTableOptions options;
        options.attributes = true;
        calendar::writeDayTable(hierarchy, state, options, out);
        return out.str();
    };
    const auto records = csvRecords(table(harness_.ctrl.state()));
    // The recorded days are taken by name when the placement order does not match.
    calendar::CalendarState shuffled = harness_.ctrl.state();
    std::reverse(shuffled.placedDays.begin(), shuffled.placedDays.end());
    EXPECT_EQ(table(shuffled), table(harness_.ctrl.state()));
    shuffled.placedDays.clear();
    EXPECT_EQ(table(shuffled), table(harness_.ctrl.state()));
    shuffled.memberDates.clear();
    EXPECT_THROW(table(shuffled), Failure);
    ASSERT_GT(records.size(), 1u);
    std::map<std::string, std::size_t> column;
    for (std::size_t i = 0; i < records[0].size(); ++i) {
        column[records[0][i]] = i;
    }
    std::vector<Day> rowDays;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const auto cell = [&](const std::string& name) { return records[r].at(column.at(name)); };
        const std::string date = cell("calendar_date");
        SCOPED_TRACE(date);
        rowDays.push_back(isoDay(date));
        EXPECT_EQ(cell("date_key"), date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2));
        std::string at;
        for (std::size_t level = 0; level < levels.size(); ++level) {
            std::string prefix = levels[level];
            prefix[0] = static_cast<char>(std::tolower(prefix[0]));
            at += '/' + cell(prefix + "_name");
            const auto found = byPath.find(at);
            ASSERT_NE(found, byPath.end()) << at << " is no path of the hierarchy";
            EXPECT_EQ(cell(prefix + "_number"), found->second.first);
            const auto span = harness_.ctrl.memberDates(levels[level], cell(prefix + "_name"));
            ASSERT_TRUE(span) << at;
            EXPECT_EQ(std::pair(cell(prefix + "_first_day"), cell(prefix + "_last_day")), span);
            // The page's calendars hang weeks, and days right below a year, outside their
            // parents; the table takes each day from a member inside its parents where one is.
            const bool strays =
                level + 1 < levels.size() && pageCalendar() &&
                (std::find(levels.begin() + level + 1, levels.end(), "Week") != levels.end() ||
                 (levels[level] == "Year" && levels[level + 1] == "Day"));
            if (!strays) {
                EXPECT_TRUE(span->first <= date && date <= span->second) << at;
            }
            for (const auto& [name, value] : found->second.second) {
                EXPECT_EQ(cell(name), value) << name;
            }
        }
        if (column.contains("day_working_day")) {
            EXPECT_EQ(
                cell("day_working_day"),
                cell("day_weekend") == "false" && cell("day_holiday").empty() ? "true" : "false");
        }
    }
    EXPECT_EQ(rowDays, std::vector<Day>(leafDays.begin(), leafDays.end()));
}

INSTANTIATE_TEST_SUITE_P(Calendars, MemberDates, ::testing::ValuesIn(datesCases()),
                         [](const auto& param) { return param.param.name; });

// The calendars of at most three years: every page calendar's level sets, a fiscal range whose
// Februaries both lack 29 February and name 1 March as their 29th day, a retail year of 53
// weeks and periods13's quarters without a year above them.
std::vector<DatesCase> shortCases() {
    std::vector<DatesCase> cases = datesCases();
    std::erase_if(cases, [](const DatesCase& c) {
        return std::stoi(dateTexts(c.end)[2]) - std::stoi(dateTexts(c.start)[2]) > 3;
    });
    return cases;
}
INSTANTIATE_TEST_SUITE_P(Calendars, DayTableOfMemberDates, ::testing::ValuesIn(shortCases()),
                         [](const auto& param) { return param.param.name; });

}  // namespace
}  // namespace annalex::testing
