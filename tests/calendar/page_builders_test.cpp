// The page's builders through OK beyond what the golden digests pin: members already present,
// the week numbering at the ends of the date range, and failures that end one builder only.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "calendar_test_support.hpp"
#include "common/failure.hpp"
#include "support/refusing_dimension.hpp"

namespace annalex::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

TEST(Generation, TopMembersAlreadyPresentAreSkippedWithTheirSubtrees) {
    ControlHarness quarters;
    generate(quarters, {.mask = 2 | 4, .monthFormat = 1});
    const std::size_t before = quarters.hierarchy()->memberCount();
    auto& builder = quarters.ctrl.builder();
    EXPECT_TRUE(builder.addQuarters(nullptr, builder.calendar().year(2001)));
    EXPECT_EQ(quarters.hierarchy()->memberCount(), before);

    ControlHarness years;
    generate(years, {.mask = 1 | 8, .startYear = "99"});
    const std::size_t made = years.hierarchy()->memberCount();
    ASSERT_EQ(made, 3u * (1 + 52));
    years.ctrl.builder().addYears();
    EXPECT_EQ(years.hierarchy()->memberCount(), made);
    EXPECT_THAT(years.reporter.reports(), IsEmpty());
}

TEST(WeekNumbering, CalendarWeeksFiscalShiftsAndTheirLimits) {
    ControlHarness harness;
    auto& builder = harness.ctrl.builder();
    struct Week {
        std::int16_t year, month, day, shift, expected;
    };
    for (const Week& w : std::vector<Week>{{2001, 12, 31, 1, 53},
                                           {2000, 12, 31, 1, 54},  // leap year from a Saturday
                                           {2001, 4, 1, 14, 1},
                                           {2001, 1, 1, 14, 40},
                                           {2001, 16, 1, 14, 1},  // month 16: April 2002
                                           {2001, 4, 1, 16, 51},
                                           {32767, 12, 31, 1, 53}}) {  // the last formable day
        EXPECT_EQ(builder.weekNumber(w.year, w.month, w.day, w.shift), w.expected)
            << w.year << "-" << w.month << "-" << w.day << " shift " << w.shift;
    }
    EXPECT_EQ(builder.weekdayNumber(2000), 7);
    EXPECT_EQ(builder.weekdayNumber(1), 2);  // 1 January of year 1 (proleptic) was a Monday
    EXPECT_THAT(harness.reporter.reports(), IsEmpty());

    // Outside years 1 to 32767 each fails on its own and gives 0.
    EXPECT_EQ(builder.weekNumber(32767, 13, 1, 1), 0);
    EXPECT_EQ(builder.weekNumber(0, 6, 1, 1), 0);
    EXPECT_EQ(builder.weekdayNumber(40000), 0);
    const auto& reports = harness.reporter.reports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].errProcName,
              "Private Function weekNumber(aYear As Integer, aMonth As Integer, aDay As "
              "Integer, shift As Integer) As Integer");
    EXPECT_EQ(reports[1].VmErrNumber, static_cast<int>(ErrorNumber::InvalidProcedureCall));
    EXPECT_EQ(reports[2].errProcName, "Private Function weekdayNumber(aYear As Long) As Integer");
    EXPECT_EQ(reports[2].VmErrNumber, static_cast<int>(ErrorNumber::Overflow));

    // OK with no level ticked stores the dates and stops before generating.
    generate(harness, {.startMonth = "04", .endMonth = "03", .endYear = "02", .fiscal = true});
    EXPECT_EQ(builder.calculateWeekShift(), 14);
    harness.typeStart("15", "04", "01");
    harness.pressOk();
    EXPECT_EQ(builder.calculateWeekShift(), 16);
    EXPECT_THAT(harness.results, IsEmpty());
}

// In the last year dates can be formed in, the fourth quarter's following quarter cannot be
// dated: its weeks run to week 52 without a failure report.
TEST(WeekNumbering, TheLastYearsFourthQuarterRunsToWeek52) {
    ControlHarness harness;
    generate(harness, {.mask = 2 | 8, .startYear = "32767", .endYear = "32767"});
    EXPECT_THAT(harness.reporter.reports(), IsEmpty());
    EXPECT_EQ(Tree(*harness.hierarchy()).nodes().back().order, 52);  // Q4's last week
}

// The cube refuses the member made at that position; the builder making it ends, its callers
// go on, and the failure is reported once.
ControlHarness& refuseMember(ControlHarness& harness, std::size_t refused) {
    harness.ctrl.setTheTimeDimension(std::make_shared<RefusingDimension>(
        harness.dimension, [refused](std::size_t position) { return position == refused; }));
    return harness;
}

void expectOneReport(const ControlHarness& harness, const std::string& procedure) {
    ASSERT_EQ(harness.reporter.reports().size(), 1u);
    const errors::FailureReport& report = harness.reporter.reports().front();
    EXPECT_EQ(report.errModName, "AnnalexCtrl");
    EXPECT_EQ(report.errProcName, procedure);
    EXPECT_EQ(report.VmErrNumber, static_cast<int>(ErrorNumber::OutOfMemory));
    EXPECT_EQ(report.VmErrSource, "Cubelink.Member");
    EXPECT_THAT(harness.results, ElementsAre(true));
}

TEST(BuilderFailure, EndsOnlyThatBuilderAndIsReportedOnce) {
    ControlHarness harness;
    // 2001, Q1_ 2001, then Q2_ 2001 is refused.
    generate(refuseMember(harness, 2), {.mask = 1 | 2, .endYear = "02"});

    expectOneReport(harness, "Private Function addQuarters(ByVal aParent As Member) As Boolean");
    const Tree tree(*harness.hierarchy());
    EXPECT_THAT(tree.childrenOf(""), ElementsAre("2001", "2002"));
    EXPECT_THAT(tree.childrenOf("2001"), ElementsAre("Q1_ 2001"));
    EXPECT_THAT(tree.childrenOf("2002"),
                ElementsAre("Q1_ 2002", "Q2_ 2002", "Q3_ 2002", "Q4_ 2002"));
}

TEST(BuilderFailure, ARefusedDayEndsThatMonthsDaysOnly) {
    ControlHarness harness;
    // 2001, Jan, its 31 days, Feb, 14 days: then Feb_15 is refused.
    generate(refuseMember(harness, 1 + 1 + 31 + 1 + 14), {.mask = 1 | 4 | 16, .monthFormat = 1});

    expectOneReport(harness, "Private Function addDays(ByVal aParent As Member) As Boolean");
    const Tree tree(*harness.hierarchy());
    EXPECT_THAT(tree.childrenOf("Feb"), ElementsAreArray(numbered("Feb_", 1, 14)));
    EXPECT_EQ(tree.childrenOf("Mar").size(), 31u);
    EXPECT_EQ(tree.childrenOf("Dec").size(), 31u);
}

TEST(BuilderFailure, NoDimensionIsReportedByTheLevelSchemaAndOkStillSucceeds) {
    ControlHarness harness;
    harness.ctrl.setTheTimeDimension(nullptr);
    generate(harness, {.mask = 1 | 4});
    ASSERT_FALSE(harness.reporter.reports().empty());
    EXPECT_EQ(harness.reporter.reports().front().errProcName, "Private Sub addLevels()");
    EXPECT_EQ(harness.reporter.reports().front().VmErrNumber,
              static_cast<int>(ErrorNumber::ObjectNotSet));
    EXPECT_THAT(harness.results, ElementsAre(true));
}

}  // namespace
}  // namespace annalex::testing
