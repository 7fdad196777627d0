#include <gtest/gtest.h>

#include "support/page_doubles.hpp"

namespace annalex::calendar {
namespace {

using testing::ControlHarness;
using Names = std::vector<std::string>;

TEST(CalendarTables, StartUpFillsTheTables) {
    ControlHarness h;
    const CalendarState& s = h.ctrl.state();
    EXPECT_EQ(s.monthNameTable[0], "January");
    EXPECT_EQ(s.monthNameTable[11], "December");
    EXPECT_EQ(s.monthDayTable[1], 28);
    EXPECT_EQ(s.monthDayTable[10], 30);
    EXPECT_EQ(s.dayNameTable[0], "");
    EXPECT_EQ(s.dayNameTable[1], "Sunday");
    EXPECT_EQ(s.dayNameTable[7], "Saturday");
    EXPECT_TRUE(s.yearList.empty());
    EXPECT_EQ(s.yearCount, 0);
    EXPECT_EQ(s.dateSeparator, "-");
}

TEST(CalendarTables, LeapYearsFollowTheGregorianRule) {
    ControlHarness h;
    CalendarBuilder& b = h.ctrl.builder();
    EXPECT_TRUE(b.LeapYear("2000"));
    EXPECT_TRUE(b.LeapYear("2004"));
    EXPECT_FALSE(b.LeapYear("1900"));
    EXPECT_FALSE(b.LeapYear("2001"));
    EXPECT_EQ(b.YearNoDays("2000"), 366);
    EXPECT_EQ(b.YearNoDays("1900"), 365);
    EXPECT_TRUE(h.reporter.reports().empty());
    // A year text that is not a number is a failure of LeapYear, which answers false.
    EXPECT_FALSE(b.LeapYear("MMI"));
    ASSERT_EQ(h.reporter.reports().size(), 1u);
    EXPECT_EQ(h.reporter.reports()[0].errProcName,
              "Private Function LeapYear(aYear As String) As Boolean");
    EXPECT_EQ(h.reporter.reports()[0].VmErrNumber, 13);
}

// Runs OK over a range so that the dates are stored, then rebuilds the lists.
void storeRange(ControlHarness& h, const char* startYear, const char* endYear,
                const char* startMonth = "01") {
    h.typeStart("01", startMonth, startYear);
    h.typeEnd("31", "12", endYear);
    h.tick(1);
    h.pressOk();
}

TEST(PeriodLists, YearsOfTheRangeEndedByAnEmptyName) {
    ControlHarness h;
    storeRange(h, "2001", "2001");
    h.ctrl.builder().generateYears();
    EXPECT_EQ(h.ctrl.state().yearList, (Names{"2001", ""}));
    EXPECT_EQ(h.ctrl.state().yearCount, 1);
    storeRange(h, "1999", "2001");
    h.ctrl.builder().generateYears();
    EXPECT_EQ(h.ctrl.state().yearList, (Names{"1999", "2000", "2001", ""}));
    EXPECT_EQ(h.ctrl.state().yearCount, 3);
}

TEST(PeriodLists, QuarterPrefixFollowsTheMonthFormat) {
    ControlHarness h;
    const std::pair<int, Names> cases[] = {
        {0, {"Q1", "Q2", "Q3", "Q4", ""}},
        {1, {"Qtr 1", "Qtr 2", "Qtr 3", "Qtr 4", ""}},
        {2, {"Quarter 1", "Quarter 2", "Quarter 3", "Quarter 4", ""}},
        {-1, {"1", "2", "3", "4", ""}}};
    for (const auto& [format, names] : cases) {
        h.ctrl.page().cmbMonth.select(static_cast<std::int16_t>(format));
        h.ctrl.builder().generateQuarters();
        EXPECT_EQ(h.ctrl.state().quarterList, names) << format;
    }
}

TEST(PeriodLists, MonthsStartWithJanuaryOrWithTheFiscalStartMonth) {
    ControlHarness h;
    storeRange(h, "2001", "2002", "04");
    h.ctrl.builder().generateMonths();
    EXPECT_EQ(h.ctrl.state().monthList.front(), "January");
    EXPECT_EQ(h.ctrl.state().monthList[11], "December");
    h.ctrl.page().calendarType[1].click();
    h.ctrl.builder().generateMonths();
    EXPECT_EQ(h.ctrl.state().monthList,
              (Names{"April", "May", "June", "July", "August", "September", "October", "November",
                     "December", "January", "February", "March", ""}));
    storeRange(h, "2001", "2002", "01");  // fiscal from January: as Gregorian
    h.ctrl.builder().generateMonths();
    EXPECT_EQ(h.ctrl.state().monthList[0], "January");
    EXPECT_EQ(h.ctrl.state().monthList[12], "");
}

}  // namespace
}  // namespace annalex::calendar
