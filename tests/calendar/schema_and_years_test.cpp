// The level schema, the year, quarter and month members, generated through OK.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "calendar_test_support.hpp"

namespace annalex::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

TEST(Generation, WorkedExampleYearAndMonth) {
    ControlHarness harness;
    generate(harness, {.mask = 1 | 4, .monthFormat = 1});

    EXPECT_THAT(harness.results, ElementsAre(true));
    EXPECT_THAT(harness.reporter.reports(), IsEmpty());
    ASSERT_EQ(harness.dimension->hierarchies().size(), 1u);
    const auto& hierarchy = *harness.hierarchy();
    EXPECT_EQ(hierarchy.name(), "Period");
    ASSERT_THAT(levelNames(hierarchy), ElementsAre("Year", "Month"));
    EXPECT_EQ(hierarchy.level(0).type(), 0x14);
    EXPECT_EQ(hierarchy.level(1).type(), 0x84);
    EXPECT_EQ(hierarchy.level(0).attributeDefs().size(), 3u);
    EXPECT_EQ(hierarchy.level(1).attributeDefs().size(), 7u);

    const auto& state = harness.ctrl.state();
    EXPECT_THAT(state.yearList, ElementsAre("2001", ""));
    EXPECT_THAT(state.monthList,
                ElementsAre("January", "February", "March", "April", "May", "June", "July",
                            "August", "September", "October", "November", "December", ""));
    EXPECT_THAT(state.quarterList, IsEmpty());
    EXPECT_EQ(state.yearSuffix, "_ 2001");

    const Tree tree(hierarchy);
    ASSERT_EQ(tree.nodes().size(), 13u);
    const Node& year = tree.nodes()[0];
    EXPECT_EQ(year.name, "2001");
    EXPECT_EQ(year.order, 0);
    EXPECT_EQ(year.level, 0u);
    EXPECT_EQ(year.parent, "");
    EXPECT_EQ(tree.attributes("2001"),
              (std::map<std::string, std::string>{
                  {"YearLeapYear", "No"}, {"YearNumberOfDays", "365"}, {"YearYearNo", "0"}}));
    EXPECT_THAT(tree.childrenOf("2001"), ElementsAre("Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"));
    EXPECT_THAT(tree.ordersUnder("2001"), ElementsAre(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11));
    EXPECT_THAT(tree.attributes("Jan"), IsEmpty());
}

TEST(Generation, SecondOkOnTheSameDimensionRebuildsTheSameCalendar) {
    ControlHarness harness;
    const Choice choice{.mask = 1 | 2 | 4, .endYear = "02", .monthFormat = 1};
    generate(harness, choice);
    const Tree first(*harness.hierarchy());
    generate(harness, choice);
    const Tree second(*harness.hierarchy());

    EXPECT_THAT(harness.results, ElementsAre(true, true));
    EXPECT_THAT(harness.reporter.reports(), IsEmpty());
    EXPECT_EQ(harness.dimension->hierarchies().size(), 1u);
    EXPECT_THAT(levelNames(*harness.hierarchy()), ElementsAre("Year", "Quarter", "Month"));
    EXPECT_EQ(harness.hierarchy()->level(0).attributeDefs().size(), 3u);
    ASSERT_EQ(second.nodes().size(), first.nodes().size());
    ASSERT_EQ(second.nodes().size(), 2u * (1 + 4 + 12));
    for (std::size_t i = 0; i < first.nodes().size(); ++i) {
        EXPECT_EQ(second.nodes()[i].name, first.nodes()[i].name);
        EXPECT_EQ(second.nodes()[i].order, first.nodes()[i].order);
        EXPECT_EQ(second.nodes()[i].parent, first.nodes()[i].parent);
    }
}

TEST(Generation, TopMembersAlreadyPresentAreSkippedWithTheirSubtrees) {
    ControlHarness harness;
    generate(harness, {.mask = 2 | 4, .monthFormat = 1});
    const std::size_t before = harness.hierarchy()->memberCount();
    ASSERT_EQ(before, 4u + 12u);
    auto& builder = harness.ctrl.builder();
    EXPECT_TRUE(builder.addQuarters(nullptr, builder.calendar().year(2001)));
    EXPECT_EQ(harness.hierarchy()->memberCount(), before);

    ControlHarness years;
    generate(years, {.mask = 1 | 8, .startYear = "99"});
    const std::size_t made = years.hierarchy()->memberCount();
    ASSERT_EQ(made, 3u * (1 + 52));
    years.ctrl.builder().addYears();
    EXPECT_EQ(years.hierarchy()->memberCount(), made);
    EXPECT_THAT(years.reporter.reports(), IsEmpty());
}

TEST(Generation, YearsCarryPositionLeapYearAndLength) {
    ControlHarness harness;
    generate(harness, {.mask = 1, .startYear = "99", .endYear = "01"});
    const Tree tree(*harness.hierarchy());
    EXPECT_THAT(tree.childrenOf(""), ElementsAre("1999", "2000", "2001"));
    EXPECT_THAT(tree.ordersUnder(""), ElementsAre(0, 1, 2));
    const std::vector<std::vector<std::string>> expected = {
        {"No", "365", "0"}, {"Yes", "366", "1"}, {"No", "365", "2"}};
    const std::vector<std::string> years = {"1999", "2000", "2001"};
    for (std::size_t i = 0; i < years.size(); ++i) {
        auto values = tree.attributes(years[i]);
        EXPECT_EQ(values["YearLeapYear"], expected[i][0]) << years[i];
        EXPECT_EQ(values["YearNumberOfDays"], expected[i][1]) << years[i];
        EXPECT_EQ(values["YearYearNo"], expected[i][2]) << years[i];
    }
    EXPECT_EQ(harness.ctrl.state().yearSuffix, "_ 2001");
}

TEST(Months, FiscalYearMovesTheSuffixAtJanuary) {
    ControlHarness harness;
    generate(harness, {.mask = 1 | 4,
                       .startDay = "01",
                       .startMonth = "04",
                       .startYear = "01",
                       .endDay = "31",
                       .endMonth = "03",
                       .endYear = "02",
                       .fiscal = true,
                       .monthFormat = 1});
    EXPECT_THAT(harness.reporter.reports(), IsEmpty());
    const Tree tree(*harness.hierarchy());
    EXPECT_THAT(tree.childrenOf(""), ElementsAre("2001", "2002"));
    EXPECT_THAT(
        tree.childrenOf("2001"),
        ElementsAre("Apr_ 2001", "May_ 2001", "Jun_ 2001", "Jul_ 2001", "Aug_ 2001", "Sep_ 2001",
                    "Oct_ 2001", "Nov_ 2001", "Dec_ 2001", "Jan_ 2002", "Feb_ 2002", "Mar_ 2002"));
    EXPECT_THAT(
        tree.childrenOf("2002"),
        ElementsAre("Apr_ 2002", "May_ 2002", "Jun_ 2002", "Jul_ 2002", "Aug_ 2002", "Sep_ 2002",
                    "Oct_ 2002", "Nov_ 2002", "Dec_ 2002", "Jan_ 2003", "Feb_ 2003", "Mar_ 2003"));
    EXPECT_THAT(tree.ordersUnder("2002"), ElementsAre(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11));
    EXPECT_EQ(harness.ctrl.state().yearSuffix, "_ 2003");
    EXPECT_EQ(harness.ctrl.state().currentYear, 2002);
}

}  // namespace
}  // namespace annalex::testing
