// Week numbering, week members and day members.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "calendar_test_support.hpp"
#include "common/failure.hpp"

namespace annalex::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// Week numbers of the weeks below a parent, read back from their positions.
std::vector<std::int32_t> weeksUnder(const Tree& tree, const std::string& parent) {
    return tree.ordersUnder(parent);
}

std::vector<std::int32_t> range(int from, int to) {
    std::vector<std::int32_t> values;
    for (int i = from; i <= to; ++i) {
        values.push_back(i);
    }
    return values;
}

const Choice kFiscalApril2001{.startDay = "01",
                              .startMonth = "04",
                              .startYear = "01",
                              .endDay = "31",
                              .endMonth = "03",
                              .endYear = "02",
                              .fiscal = true};

TEST(WeekNumbering, CalendarWeeksAndFiscalShift) {
    ControlHarness harness;
    auto& builder = harness.ctrl.builder();
    EXPECT_EQ(builder.weekNumber(2001, 1, 1, 1), 1);
    EXPECT_EQ(builder.weekNumber(2001, 12, 1, 1), 48);
    EXPECT_EQ(builder.weekNumber(2001, 12, 31, 1), 53);
    EXPECT_EQ(builder.weekNumber(2000, 12, 31, 1), 54);  // leap year beginning on a Saturday
    EXPECT_EQ(builder.weekNumber(2001, 4, 1, 14), 1);
    EXPECT_EQ(builder.weekNumber(2001, 7, 1, 14), 14);
    EXPECT_EQ(builder.weekNumber(2001, 1, 1, 14), 40);
    EXPECT_EQ(builder.weekNumber(2001, 16, 1, 14), 1);  // month 16 carries into April 2002
    EXPECT_EQ(builder.weekNumber(2001, 4, 1, 16), 51);
    EXPECT_EQ(builder.weekdayNumber(2001), 2);
    EXPECT_EQ(builder.weekdayNumber(2000), 7);
    EXPECT_EQ(builder.weekdayNumber(1), 2);  // 1 January of year 1 (proleptic) was a Monday
    EXPECT_THAT(harness.reporter.reports(), IsEmpty());

    // OK with no level ticked stores the dates and stops before generating.
    Choice gregorian = kFiscalApril2001;
    gregorian.fiscal = false;
    generate(harness, gregorian);
    EXPECT_EQ(builder.calculateWeekShift(), 1);
    generate(harness, kFiscalApril2001);
    EXPECT_EQ(builder.calculateWeekShift(), 14);
    harness.typeStart("15", "04", "01");
    harness.pressOk();
    EXPECT_EQ(builder.calculateWeekShift(), 16);
    EXPECT_THAT(harness.results, IsEmpty());
}

TEST(WeekNumbering, DatesOutsideYearsOneTo32767FailAndGiveZero) {
    ControlHarness harness;
    auto& builder = harness.ctrl.builder();
    EXPECT_EQ(builder.weekNumber(32767, 13, 1, 1), 0);
    EXPECT_EQ(builder.weekNumber(0, 6, 1, 1), 0);
    EXPECT_EQ(builder.weekdayNumber(40000), 0);
    const auto& reports = harness.reporter.reports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].errModName, "AnnalexCtrl");
    EXPECT_EQ(reports[0].errProcName,
              "Private Function weekNumber(aYear As Integer, aMonth As Integer, aDay As "
              "Integer, shift As Integer) As Integer");
    EXPECT_EQ(reports[0].VmErrNumber, static_cast<int>(ErrorNumber::InvalidProcedureCall));
    EXPECT_EQ(reports[1].VmErrNumber, static_cast<int>(ErrorNumber::InvalidProcedureCall));
    EXPECT_EQ(reports[2].errProcName, "Private Function weekdayNumber(aYear As Long) As Integer");
    EXPECT_EQ(reports[2].VmErrNumber, static_cast<int>(ErrorNumber::Overflow));
}

TEST(Weeks, GregorianMonthRangesStopAtWeek52) {
    ControlHarness harness;
    generate(harness, {.mask = 1 | 4 | 8, .monthFormat = 1});
    const Tree tree(*harness.hierarchy());
    EXPECT_THAT(tree.childrenOf("Jan"), ElementsAre("Wk 1", "Wk 2", "Wk 3", "Wk 4"));
    EXPECT_THAT(weeksUnder(tree, "Feb"), ElementsAreArray(range(5, 8)));
    EXPECT_THAT(weeksUnder(tree, "Nov"), ElementsAreArray(range(44, 47)));
    EXPECT_THAT(weeksUnder(tree, "Dec"), ElementsAreArray(range(48, 52)));
    EXPECT_EQ(tree.countAtLevel(2), 52u);
}

// In the last year dates can be formed in, the fourth quarter's following quarter cannot be
// dated: its weeks run to week 52 without a failure report.
TEST(Weeks, TheLastYearsFourthQuarterRunsToWeek52) {
    ControlHarness harness;
    generate(harness, {.mask = 2 | 8, .startYear = "32767", .endYear = "32767"});
    EXPECT_THAT(harness.reporter.reports(), IsEmpty());
    const Tree tree(*harness.hierarchy());
    EXPECT_EQ(weeksUnder(tree, "Q4").back(), 52);
    EXPECT_EQ(tree.countAtLevel(1), 52u);
}

TEST(Weeks, FiscalMonthAndQuarterRanges) {
    {
        ControlHarness harness;
        Choice choice = kFiscalApril2001;
        choice.mask = 1 | 4 | 8;
        choice.monthFormat = 2;
        generate(harness, choice);
        const Tree tree(*harness.hierarchy());
        EXPECT_THAT(weeksUnder(tree, "April_ 2001"), ElementsAreArray(range(1, 4)));
        EXPECT_THAT(weeksUnder(tree, "December_ 2001"), ElementsAreArray(range(35, 39)));
        EXPECT_THAT(weeksUnder(tree, "January_ 2002"), ElementsAreArray(range(40, 43)));
        EXPECT_THAT(weeksUnder(tree, "March_ 2002"), ElementsAreArray(range(48, 52)));
        EXPECT_THAT(tree.childrenOf("September_ 2001"),
                    ElementsAre("Week 22_ 2001", "Week 23_ 2001", "Week 24_ 2001", "Week 25_ 2001",
                                "Week 26_ 2001"));
        // Both years take their week numbers from the start date's year.
        EXPECT_THAT(weeksUnder(tree, "April_ 2002"), ElementsAreArray(range(1, 4)));
        EXPECT_EQ(tree.childrenOf("March_ 2003").back(), "Week 52_ 2003");
    }
    {
        ControlHarness harness;
        Choice choice = kFiscalApril2001;
        choice.mask = 1 | 2 | 8;
        generate(harness, choice);
        const Tree tree(*harness.hierarchy());
        EXPECT_THAT(weeksUnder(tree, "Q1_ 2001"), ElementsAreArray(range(1, 13)));
        EXPECT_THAT(weeksUnder(tree, "Q4_ 2001"), ElementsAreArray(range(40, 52)));
        EXPECT_EQ(tree.childrenOf("Q4_ 2002").front(), "W40_ 2002");
    }
}

TEST(Days, WeekModeJoinsWeekdayWithTheWeek) {
    ControlHarness harness;
    generate(harness, {.mask = 8 | 16, .dayFormat = 1, .monthFormat = 1});
    const Tree tree(*harness.hierarchy());
    EXPECT_THAT(tree.childrenOf("Wk 5"), ElementsAre("Sun_Wk 5", "Mon_Wk 5", "Tue_Wk 5", "Wed_Wk 5",
                                                     "Thu_Wk 5", "Fri_Wk 5", "Sat_Wk 5"));
    EXPECT_THAT(tree.ordersUnder("Wk 5"), ElementsAreArray(range(1, 7)));
    EXPECT_EQ(harness.ctrl.state().dayParentName, "Wk 52");

    ControlHarness full;
    generate(full, {.mask = 1 | 8 | 16, .endYear = "02", .dayFormat = 2, .monthFormat = 1});
    const Tree fullTree(*full.hierarchy());
    EXPECT_EQ(fullTree.childrenOf("Wk 5_ 2002").front(), "Sunday_Wk 5_ 2002");
    EXPECT_EQ(fullTree.childrenOf("Wk 5_ 2002").back(), "Saturday_Wk 5_ 2002");
}

TEST(Days, MonthModeFollowsFebruaryOfTheYear) {
    {
        ControlHarness harness;
        generate(harness,
                 {.mask = 1 | 4 | 16, .startYear = "00", .endYear = "01", .monthFormat = 1});
        const Tree tree(*harness.hierarchy());
        EXPECT_THAT(tree.childrenOf("Feb_ 2000"), ElementsAreArray(numbered("Feb_ 2000_", 1, 29)));
        EXPECT_THAT(tree.childrenOf("Feb_ 2001"), ElementsAreArray(numbered("Feb_ 2001_", 1, 28)));
        EXPECT_EQ(tree.childrenOf("Apr_ 2001").size(), 30u);
        EXPECT_THAT(tree.ordersUnder("Dec_ 2000"), ElementsAreArray(range(1, 31)));
    }
    {
        ControlHarness harness;
        generate(harness, {.mask = 4 | 16, .startYear = "00", .endYear = "00", .monthFormat = 1});
        const Tree tree(*harness.hierarchy());
        EXPECT_THAT(tree.childrenOf("Feb"), ElementsAreArray(numbered("Feb_", 1, 29)));
    }
    {
        ControlHarness harness;
        generate(harness, {.mask = 1 | 4 | 16, .endYear = "02", .monthFormat = 0});
        const Tree tree(*harness.hierarchy());
        EXPECT_THAT(tree.childrenOf("2_ 2001"), ElementsAreArray(numbered("2_ 2001_", 1, 28)));
    }
}

TEST(Days, YearModeSpellsWeekdayDayAndMonth) {
    ControlHarness harness;
    generate(harness, {.mask = 1 | 16, .startYear = "00", .endYear = "01", .monthFormat = 1});
    EXPECT_THAT(harness.reporter.reports(), IsEmpty());
    const Tree tree(*harness.hierarchy());
    const auto days2000 = tree.childrenOf("2000");
    ASSERT_EQ(days2000.size(), 366u);
    EXPECT_EQ(days2000.front(), "Sat 1 Jan_2000");
    EXPECT_EQ(days2000[59], "Tue 29 Feb_2000");
    EXPECT_EQ(days2000.back(), "Sun 31 Dec_2000");
    EXPECT_THAT(tree.ordersUnder("2000"), ElementsAreArray(range(1, 366)));
    const auto days2001 = tree.childrenOf("2001");
    ASSERT_EQ(days2001.size(), 365u);
    EXPECT_EQ(days2001.front(), "Mon 1 Jan_2001");
    EXPECT_EQ(days2001[58], "Wed 28 Feb_2001");
    EXPECT_EQ(days2001[59], "Thu 1 Mar_2001");
    EXPECT_EQ(days2001.back(), "Mon 31 Dec_2001");
    EXPECT_EQ(harness.ctrl.state().monthDayTable[1], 28);

    ControlHarness full;
    generate(full, {.mask = 1 | 16, .dayFormat = 2, .monthFormat = 2});
    EXPECT_EQ(Tree(*full.hierarchy()).childrenOf("2001").front(), "Monday 1 January_2001");
}

}  // namespace
}  // namespace annalex::testing
