// A failing cube call inside a builder ends that builder only.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "calendar_test_support.hpp"
#include "common/failure.hpp"
#include "support/refusing_dimension.hpp"

namespace annalex::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

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
