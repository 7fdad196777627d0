// The week-based calendars (iso, retail, periods13), walked day by day from 1900 to 2100 for
// several option sets each: the years follow each other without gap, and every level the
// calendar gives tiles each year and each larger period, so every day lies in exactly one
// member of every level; then each calendar's own rules, checked against std::chrono.

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "calendar/calendar_list.hpp"

namespace annalex::calendar {
namespace {

namespace chr = std::chrono;

const chr::sys_days kWalkFirst = chr::year(1900) / chr::January / chr::day(1);
const chr::sys_days kWalkLast = chr::year(2100) / chr::December / chr::day(31);

struct WalkCase {
    std::string name;
    std::string key;
    CalendarOptions options;
};

// Names the option set in test output.
void PrintTo(const WalkCase& walkCase, std::ostream* out) {
    *out << walkCase.name;
}

CalendarOptions options(chr::weekday start, int endMonth, YearEndRule rule, YearName name,
                        RetailPattern pattern = RetailPattern::P445, int longQuarter = 4) {
    return CalendarOptions{start, endMonth, rule, name, pattern, longQuarter};
}

std::vector<WalkCase> walkCases() {
    using enum YearEndRule;
    using enum YearName;
    using enum RetailPattern;
    return {
        {"iso", "iso", {}},
        {"retail_445_dec_last_sun", "retail", options(chr::Sunday, 12, Last, End)},
        {"retail_454_jan_nearest_sun_start", "retail",
         options(chr::Sunday, 1, Nearest, Start, P454)},
        {"retail_544_jun_nearest_mon_end", "retail", options(chr::Monday, 6, Nearest, End, P544)},
        {"retail_445_feb_last_sat_start", "retail", options(chr::Saturday, 2, Last, Start)},
        {"periods13_dec_nearest_sun_q4", "periods13", options(chr::Sunday, 12, Nearest, End)},
        {"periods13_sep_last_wed_q1_start", "periods13",
         options(chr::Wednesday, 9, Last, Start, P445, 1)},
        {"periods13_mar_nearest_fri_q3", "periods13",
         options(chr::Friday, 3, Nearest, End, P445, 3)},
    };
}

// The periods follow each other without gap or overlap, exactly cover parent, and are numbered
// on by one.
void expectTiling(const std::vector<Period>& periods, const Period& parent,
                  const std::string& what) {
    ASSERT_FALSE(periods.empty()) << what;
    ASSERT_EQ(periods.front().first, parent.first) << what;
    ASSERT_EQ(periods.back().last, parent.last) << what;
    for (std::size_t i = 1; i < periods.size(); ++i) {
        ASSERT_EQ(periods[i].first, periods[i - 1].last + chr::days(1)) << what << " #" << i;
        ASSERT_EQ(periods[i].number, periods[i - 1].number + 1) << what << " #" << i;
    }
}

int weeksOf(const Period& period) {
    return static_cast<int>((period.last - period.first).count() + 1) / 7;
}

class WeeklyWalk : public ::testing::TestWithParam<WalkCase> {
  protected:
    std::unique_ptr<Calendar> make() const {
        const CalendarEntry* entry = findCalendar(GetParam().key);
        EXPECT_NE(entry, nullptr);
        return entry->make(chr::year(2001) / chr::January / chr::day(1), GetParam().options);
    }
    bool hasQuarters() const { return GetParam().key != "iso"; }
};

TEST_P(WeeklyWalk, EveryDayLiesInOneMemberOfEachLevelAndChildrenNestInParents) {
    const auto calendar = make();
    const std::vector<PeriodKind> kinds =
        hasQuarters()
            ? std::vector{PeriodKind::Quarter, PeriodKind::Month, PeriodKind::Week, PeriodKind::Day}
            : std::vector{PeriodKind::Week, PeriodKind::Day};
    std::vector<Period> parts;
    std::vector<Period> inner;
    const std::int32_t firstYear = yearNumberHolding(*calendar, kWalkFirst);
    const std::int32_t lastYear = yearNumberHolding(*calendar, kWalkLast);
    ASSERT_LE(calendar->year(firstYear).first, kWalkFirst);
    ASSERT_GE(calendar->year(lastYear).last, kWalkLast);
    chr::sys_days nextDay = calendar->year(firstYear).first;
    for (std::int32_t number = firstYear; number <= lastYear; ++number) {
        const Period year = calendar->year(number);
        const std::string what = GetParam().name + " " + std::to_string(number);
        ASSERT_EQ(year.first, nextDay) << what;
        ASSERT_TRUE(weeksOf(year) == 52 || weeksOf(year) == 53) << what;
        ASSERT_EQ((year.last - year.first).count() % 7, 6) << what;
        // Every day of the year, in order, is one day member of it.
        calendar->split(year, PeriodKind::Day, parts);
        expectTiling(parts, year, what + " days");
        ASSERT_EQ(parts.front().number, 1) << what;
        for (const Period& day : parts) {
            ASSERT_EQ(day.first, nextDay) << what;
            ASSERT_EQ(day.last, day.first) << what;
            nextDay += chr::days(1);
        }
        // Each kind tiles the year, and each smaller kind tiles each of its periods with the
        // same periods (same numbers, same days) as it has within the year.
        for (std::size_t k = 0; k + 1 < kinds.size(); ++k) {
            std::vector<Period> outer;
            calendar->split(year, kinds[k], outer);
            expectTiling(outer, year, what + " level " + std::to_string(k));
            ASSERT_EQ(outer.front().number, 1) << what;
            for (std::size_t s = k + 1; s < kinds.size(); ++s) {
                std::vector<Period> whole;
                calendar->split(year, kinds[s], whole);
                std::size_t at = 0;
                for (const Period& parent : outer) {
                    calendar->split(parent, kinds[s], inner);
                    expectTiling(inner, parent, what + " nested");
                    for (const Period& child : inner) {
                        if (kinds[s] == PeriodKind::Day) {
                            ASSERT_EQ(child.first, whole[at].first) << what;
                        } else {
                            ASSERT_EQ(child, whole[at]) << what;
                        }
                        ++at;
                    }
                }
                ASSERT_EQ(at, whole.size()) << what;
            }
        }
        calendar->split(year, PeriodKind::Week, parts);
        ASSERT_EQ(static_cast<int>(parts.size()), weeksOf(year)) << what;
        for (const Period& week : parts) {
            ASSERT_EQ(week.last - week.first, chr::days(6)) << what;
        }
    }
}

// ISO week-years from chrono: a day's week-year is the year of the Thursday of its Monday
// week, its week number counts that Thursday's weeks from 1 January.
TEST(IsoCalendar, EveryDayHasTheWeekYearAndWeekOfItsThursday) {
    const auto calendar = findCalendar("iso")->make(chr::year(2001) / 1 / 1, {});
    std::vector<Period> weeks;
    std::int32_t number = yearNumberHolding(*calendar, kWalkFirst);
    Period year = calendar->year(number);
    calendar->split(year, PeriodKind::Week, weeks);
    for (chr::sys_days day = kWalkFirst; day <= kWalkLast; day += chr::days(1)) {
        if (day > year.last) {
            year = calendar->year(++number);
            calendar->split(year, PeriodKind::Week, weeks);
        }
        const chr::sys_days thursday =
            day - chr::days(chr::weekday(day).iso_encoding() - 1) + chr::days(3);
        const chr::year_month_day thursdayDate(thursday);
        const int dayOfYear =
            static_cast<int>((thursday - chr::sys_days(thursdayDate.year() / 1 / 1)).count());
        ASSERT_EQ(static_cast<int>(thursdayDate.year()), number) << day.time_since_epoch().count();
        const Period& week = weeks.at(static_cast<std::size_t>(dayOfYear / 7));
        ASSERT_EQ(week.number, dayOfYear / 7 + 1);
        ASSERT_LE(week.first, day);
        ASSERT_GE(week.last, day);
        ASSERT_EQ(chr::weekday(week.first), chr::Monday);
    }
}

// A year ends on the week-end day (the day before the week start) that is the last of its
// year-end month, or nearest that month's last day; its name is the year of that month, or of
// the month after the previous year's year-end month. Its months (or periods) have the
// pattern's weeks, the 53rd week going to the last, and its quarters the pattern's months.
// The retail and periods13 option sets: iso years have no year-end rule and no months.
class FiscalWalk : public WeeklyWalk {};

std::vector<WalkCase> fiscalCases() {
    std::vector<WalkCase> cases = walkCases();
    std::erase_if(cases, [](const WalkCase& c) { return c.key == "iso"; });
    return cases;
}

TEST_P(FiscalWalk, YearsEndByTheirRuleAndFollowTheirPattern) {
    const CalendarOptions& rules = GetParam().options;
    std::vector<int> monthWeeks;
    std::vector<int> quarterMonths;
    for (int q = 1; q <= 4; ++q) {
        const std::vector<int> quarter =
            GetParam().key == "periods13"
                ? std::vector<int>(q == rules.longQuarter ? 4 : 3, 4)
                : (rules.pattern == RetailPattern::P445   ? std::vector{4, 4, 5}
                   : rules.pattern == RetailPattern::P454 ? std::vector{4, 5, 4}
                                                          : std::vector{5, 4, 4});
        monthWeeks.insert(monthWeeks.end(), quarter.begin(), quarter.end());
        quarterMonths.push_back(static_cast<int>(quarter.size()));
    }
    const auto calendar = make();
    const chr::weekday endDay = rules.weekStart - chr::days(1);
    std::vector<Period> months;
    std::vector<Period> quarters;
    int longYears = 0;
    for (int number = 1900; number <= 2100; ++number) {
        const Period year = calendar->year(number);
        const int endMonthYear =
            rules.yearName == YearName::Start && rules.yearEndMonth != 12 ? number + 1 : number;
        const chr::sys_days monthEnd = chr::year(endMonthYear) /
                                       chr::month(static_cast<unsigned>(rules.yearEndMonth)) /
                                       chr::last;
        ASSERT_EQ(chr::weekday(year.last), endDay) << number;
        if (rules.yearEndRule == YearEndRule::Last) {
            ASSERT_LE(year.last, monthEnd) << number;
            ASSERT_GT(year.last + chr::days(7), monthEnd) << number;
        } else {
            ASSERT_LE(chr::abs(year.last - monthEnd), chr::days(3)) << number;
        }

        const bool longYear = weeksOf(year) == 53;
        longYears += longYear ? 1 : 0;
        calendar->split(year, PeriodKind::Month, months);
        ASSERT_EQ(months.size(), monthWeeks.size()) << number;
        for (std::size_t m = 0; m < months.size(); ++m) {
            const int extra = longYear && m + 1 == months.size() ? 1 : 0;
            ASSERT_EQ(weeksOf(months[m]), monthWeeks[m] + extra) << number << " month " << m;
        }
        calendar->split(year, PeriodKind::Quarter, quarters);
        ASSERT_EQ(quarters.size(), 4u) << number;
        for (std::size_t q = 0; q < 4; ++q) {
            calendar->split(quarters[q], PeriodKind::Month, months);
            ASSERT_EQ(static_cast<int>(months.size()), quarterMonths[q]) << number;
        }
    }
    // 53-week years come every five or six years: 35 to 37 in two centuries.
    EXPECT_GE(longYears, 34);
    EXPECT_LE(longYears, 37);
}

INSTANTIATE_TEST_SUITE_P(OptionSets, WeeklyWalk, ::testing::ValuesIn(walkCases()),
                         [](const auto& param) { return param.param.name; });
INSTANTIATE_TEST_SUITE_P(OptionSets, FiscalWalk, ::testing::ValuesIn(fiscalCases()),
                         [](const auto& param) { return param.param.name; });

}  // namespace
}  // namespace annalex::calendar
