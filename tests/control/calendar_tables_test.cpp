// The shared tables, the text-fed leap-year procedures and the period-name lists, checked
// against std::chrono rather than against copies of the tables.

#include <gtest/gtest.h>

#include <chrono>

#include "support/page_doubles.hpp"

namespace annalex::calendar {
namespace {

namespace chr = std::chrono;
using testing::ControlHarness;
using Names = std::vector<std::string>;

TEST(CalendarTables, MonthAndWeekdayTablesAgreeWithTheCalendar) {
    ControlHarness h;
    const CalendarState& s = h.ctrl.state();
    // 2001 is a common year that begins on a Monday.
    for (unsigned m = 1; m <= 12; ++m) {
        const auto last = chr::year(2001) / chr::month(m) / chr::last;
        EXPECT_EQ(s.monthDayTable[m - 1], static_cast<int>(static_cast<unsigned>(last.day())));
    }
    for (int i = 0; i < 7; ++i) {
        const chr::weekday weekday =
            chr::weekday(chr::sys_days(chr::year(2001) / 1 / 1)) + chr::days(i);
        EXPECT_EQ(
            s.dayNameTable[weekday.c_encoding() + 1].substr(0, 3),
            (Names{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}[static_cast<std::size_t>(i)]));
    }
    EXPECT_EQ(s.dayNameTable[0], "");
}

TEST(CalendarTables, LeapYearProceduresAgreeWithChronoForEveryYear) {
    ControlHarness h;
    CalendarBuilder& b = h.ctrl.builder();
    for (int y = 1; y <= 9999; ++y) {
        const std::string text = std::to_string(y);
        ASSERT_EQ(b.LeapYear(text), chr::year(y).is_leap()) << y;
        ASSERT_EQ(
            b.YearNoDays(text),
            (chr::sys_days(chr::year(y + 1) / 1 / 1) - chr::sys_days(chr::year(y) / 1 / 1)).count())
            << y;
    }
    EXPECT_TRUE(h.reporter.reports().empty());
    // A year text that is not a number is a failure of LeapYear, which answers false.
    EXPECT_FALSE(b.LeapYear("MMI"));
    ASSERT_EQ(h.reporter.reports().size(), 1u);
    EXPECT_EQ(h.reporter.reports()[0].errProcName,
              "Private Function LeapYear(aYear As String) As Boolean");
    EXPECT_EQ(h.reporter.reports()[0].VmErrNumber, 13);
}

// Runs OK over a range with Year ticked so that the dates are stored.
void storeRange(ControlHarness& h, const std::string& startMonth, const std::string& startYear,
                const std::string& endYear) {
    h.typeStart("01", startMonth, startYear);
    h.typeEnd("31", "12", endYear);
    h.tick(1);
    h.pressOk();
}

TEST(PeriodLists, YearsOfTheRangeEndedByAnEmptyName) {
    ControlHarness h;
    for (const int span : {0, 1, 5}) {
        storeRange(h, "01", "1999", std::to_string(1999 + span));
        const CalendarState& s = h.ctrl.state();
        ASSERT_EQ(s.yearList.size(), static_cast<std::size_t>(span) + 2);
        for (int i = 0; i <= span; ++i) {
            EXPECT_EQ(s.yearList[static_cast<std::size_t>(i)], std::to_string(1999 + i));
        }
        EXPECT_EQ(s.yearList.back(), "");
        EXPECT_EQ(s.yearCount, span + 1);
    }
}

TEST(PeriodLists, MonthsRunFromTheCalendarsFirstMonth) {
    ControlHarness h;
    for (const bool fiscal : {false, true}) {
        h.ctrl.page().calendarType[fiscal ? 1 : 0].click();
        for (unsigned start = 1; start <= 12; ++start) {
            storeRange(h, std::to_string(start), "2001", "2002");
            h.ctrl.builder().generateMonths();
            const Names& list = h.ctrl.state().monthList;
            ASSERT_EQ(list.size(), 13u);
            EXPECT_EQ(list.back(), "");
            const chr::month first = fiscal ? chr::month(start) : chr::January;
            for (unsigned k = 0; k < 12; ++k) {
                const unsigned month = static_cast<unsigned>(first + chr::months(k));
                EXPECT_EQ(list[k], h.ctrl.state().monthNameTable[month - 1]) << start << " " << k;
            }
        }
    }
}

TEST(PeriodLists, QuarterPrefixFollowsTheMonthFormat) {
    ControlHarness h;
    const std::pair<int, std::string> prefixes[] = {
        {0, "Q"}, {1, "Qtr "}, {2, "Quarter "}, {-1, ""}};
    for (const auto& [format, prefix] : prefixes) {
        h.ctrl.page().cmbMonth.select(static_cast<std::int16_t>(format));
        h.ctrl.builder().generateQuarters();
        EXPECT_EQ(h.ctrl.state().quarterList,
                  (Names{prefix + "1", prefix + "2", prefix + "3", prefix + "4", ""}));
    }
}

}  // namespace
}  // namespace annalex::calendar
