// The page's two calendars, walked day by day from 1600 to 2400 and checked against
// std::chrono: years, quarters and months cover every day exactly once, in order, with the
// right first and last days; weeks are seven days from a Sunday, in order, with only the capped
// 53rd week between two years; days hang below their periods as the page's rules say. (How the
// weeks are shared out among months and quarters is pinned by the golden digests.)

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "calendar/calendar_list.hpp"
#include "calendar/calendars/monthly_calendar.hpp"

namespace annalex::calendar {
namespace {

namespace chr = std::chrono;

constexpr int kFirstYear = 1600;
constexpr int kLastYear = 2400;

chr::sys_days date(int year, int month, int day) {
    return chr::year(year) / chr::month(static_cast<unsigned>(month)) /
           chr::day(static_cast<unsigned>(day));
}

int monthOf(chr::sys_days day) {
    return static_cast<int>(static_cast<unsigned>(chr::year_month_day(day).month()));
}

// The start dates a calendar is walked with: every start month, days from 0 to the month's end.
std::vector<chr::year_month_day> startsFor(const CalendarEntry& entry, int year) {
    if (entry.key == "gregorian") {
        return {chr::year(year) / chr::January / chr::day(1)};
    }
    std::vector<chr::year_month_day> starts;
    for (int month = 1; month <= 12; ++month) {
        const int length = daysInMonth(year, month);
        starts.push_back(chr::year(year) / chr::month(static_cast<unsigned>(month)) /
                         chr::day(static_cast<unsigned>(year % (length + 1))));
    }
    return starts;
}

// Periods follow each other without gap or overlap and cover [first, last].
void expectTiling(const std::vector<Period>& periods, chr::sys_days first, chr::sys_days last,
                  const std::string& what) {
    ASSERT_FALSE(periods.empty()) << what;
    EXPECT_EQ(periods.front().first, first) << what;
    EXPECT_EQ(periods.back().last, last) << what;
    for (std::size_t i = 0; i < periods.size(); ++i) {
        EXPECT_LE(periods[i].first, periods[i].last) << what << " #" << i;
        EXPECT_EQ(periods[i].number, static_cast<int>(i) + 1 + (periods.front().number - 1))
            << what;
        if (i > 0) {
            EXPECT_EQ(periods[i].first, periods[i - 1].last + chr::days(1)) << what << " #" << i;
        }
    }
}

class CalendarWalk : public ::testing::TestWithParam<std::size_t> {
  protected:
    const CalendarEntry& entry() const { return calendarList()[GetParam()]; }
};

TEST_P(CalendarWalk, PeriodsCoverEveryDayOnceAndWeeksAreSevenDaysFromSunday) {
    std::vector<Period> quarters;
    std::vector<Period> weeks;
    std::vector<Period> nextWeeks;
    std::vector<Period> months;
    std::vector<Period> days;
    for (int y = kFirstYear; y <= kLastYear; ++y) {
        for (const chr::year_month_day start : startsFor(entry(), y)) {
            const auto calendar = entry().make(start, CalendarOptions{});
            const int firstMonth = static_cast<int>(static_cast<unsigned>(start.month()));
            const Period year = calendar->year(y);
            const std::string what = std::string(entry().key) + " " + std::to_string(y) +
                                     " from month " + std::to_string(firstMonth);
            ASSERT_EQ(year.first, date(y, firstMonth, 1)) << what;
            ASSERT_EQ(calendar->year(y + 1).first, year.last + chr::days(1)) << what;

            calendar->split(year, PeriodKind::Quarter, quarters);
            ASSERT_EQ(quarters.size(), 4u) << what;
            expectTiling(quarters, year.first, year.last, what + " quarters");
            calendar->split(year, PeriodKind::Month, months);
            ASSERT_EQ(months.size(), 12u) << what;
            expectTiling(months, year.first, year.last, what + " months");
            for (const Period& quarter : quarters) {
                std::vector<Period> inQuarter;
                calendar->split(quarter, PeriodKind::Month, inQuarter);
                ASSERT_EQ(inQuarter.size(), 3u) << what;
                expectTiling(inQuarter, quarter.first, quarter.last, what + " quarter's months");
            }
            for (const Period& month : months) {
                // Whole calendar months, each from its 1st to the last day chrono gives it.
                const chr::year_month_day first(month.first);
                ASSERT_EQ(first.day(), chr::day(1)) << what;
                ASSERT_EQ(month.last, chr::sys_days(first.year() / first.month() / chr::last))
                    << what;
                // A month's days are its own, except that February counts the days of
                // February in the year of the period's number.
                calendar->split(month, PeriodKind::Day, days);
                const auto expected =
                    monthOf(month.first) == 2
                        ? static_cast<std::size_t>(daysInMonth(y, 2))
                        : static_cast<std::size_t>((month.last - month.first).count() + 1);
                ASSERT_EQ(days.size(), expected) << what;
                for (std::size_t d = 0; d < days.size(); ++d) {
                    ASSERT_EQ(days[d].first, month.first + chr::days(d)) << what;
                    ASSERT_EQ(days[d].number, static_cast<int>(d) + 1) << what;
                }
            }
            // Days hung directly below a year are those of the calendar year of its number.
            calendar->split(year, PeriodKind::Day, days);
            expectTiling(days, date(y, 1, 1), date(y, 12, 31), what + " days");

            calendar->split(year, PeriodKind::Week, weeks);
            ASSERT_EQ(weeks.size(), static_cast<std::size_t>(kLastWeek)) << what;
            expectTiling(weeks, weeks.front().first, weeks.back().last, what + " weeks");
            // Week 1 is the Sunday week that holds the year's first day (the start date's day
            // of the first month, counted on from the month's first).
            const chr::sys_days weekOneDay = chr::sys_days(start);
            EXPECT_EQ(chr::weekday(weeks.front().first), chr::Sunday) << what;
            EXPECT_LE(weeks.front().first, weekOneDay) << what;
            EXPECT_GT(weeks.front().first + chr::days(7), weekOneDay) << what;
            for (const Period& week : weeks) {
                ASSERT_EQ(week.last - week.first, chr::days(6)) << what;
                calendar->split(week, PeriodKind::Day, days);
                ASSERT_EQ(days.size(), 7u) << what;
                EXPECT_EQ(days.front().first, week.first) << what;
                EXPECT_EQ(days.back().last, week.last) << what;
            }
            // The next year's week 1 follows week 52 at once, or after one whole week: the
            // 53rd, which is never made.
            calendar->split(calendar->year(y + 1), PeriodKind::Week, nextWeeks);
            const auto gap = nextWeeks.front().first - (weeks.back().last + chr::days(1));
            EXPECT_TRUE(gap == chr::days(0) || gap == chr::days(7)) << what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PageCalendars, CalendarWalk,
                         ::testing::Range<std::size_t>(0, pageCalendarCount()),
                         [](const auto& param) {
                             return std::string(calendarList()[param.param].key);
                         });

// The levels an entry claims are the ones its calendar fills: every other kind splits a year
// into nothing, which would leave that level empty.
TEST(CalendarList, EachEntryNamesTheLevelsItsCalendarFills) {
    for (const CalendarEntry& entry : calendarList()) {
        const auto calendar = entry.make(chr::year(2020) / chr::April / chr::day(1), {});
        const Period year = calendar->year(2020);
        std::vector<Period> parts;
        for (int bit = 1; bit <= 4; ++bit) {
            calendar->split(year, static_cast<PeriodKind>(bit), parts);
            EXPECT_EQ(parts.empty(), (entry.levels & (1 << bit)) == 0)
                << entry.key << " level " << bit;
        }
        EXPECT_NE(entry.levels & 1, 0) << entry.key;
    }
}

}  // namespace
}  // namespace annalex::calendar
