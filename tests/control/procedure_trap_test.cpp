#include <gtest/gtest.h>

#include <cerrno>

#include "errors/guarded_split_line.hpp"
#include "support/page_doubles.hpp"

namespace annalex::control {
namespace {

using testing::ControlHarness;

TEST(ProcedureTrap, AnOverflowingDayBoxIsReportedByTheFieldCheckThenByTheDateCheckOnOk) {
    ControlHarness h;
    h.tick(1);
    h.ctrl.page().txtStartDay.setText("40000");
    ASSERT_EQ(h.reporter.reports().size(), 1u);
    EXPECT_EQ(h.reporter.reports()[0].errProcName, "Private Sub txtStartDay_Change()");
    EXPECT_TRUE(h.messages.shown.empty());  // the trap shows no message of its own
    h.reporter.clear();

    h.pressOk();
    ASSERT_EQ(h.reporter.reports().size(), 1u);
    EXPECT_EQ(
        h.reporter.reports()[0],
        (errors::FailureReport{
            "AnnalexCtrl",
            "Private Function dateFormatValid(aDate As String, dateType As Integer) As Boolean",
            "Overflow", 6, "Annalex", h.reporter.reports()[0].VmErrLastDllError}));
    EXPECT_EQ(h.reporter.containerCloses(), 1);
    // The date check answered false: no generation, no event, the day box is selected.
    EXPECT_TRUE(h.results.empty());
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_TRUE(h.ctrl.page().txtStartDay.hasFocus());
}

TEST(ProcedureTrap, AYearBeyondSixteenBitsFailsWhenTheDateIsStored) {
    ControlHarness h;
    h.tick(1);
    h.typeStart("01", "02", "40000");
    h.reporter.clear();
    h.pressOk();
    ASSERT_EQ(h.reporter.reports().size(), 1u);
    EXPECT_EQ(h.reporter.reports()[0].errProcName,
              "Private Function dateFormatValid(aDate As String, dateType As Integer) As Boolean");
    // Day and month were written before the year failed to fit; the start year was not.
    EXPECT_EQ(h.ctrl.state().startDate, (calendar::DateParts{1, 2, 0}));
    EXPECT_EQ(h.ctrl.state().currentYear, 0);
    EXPECT_TRUE(h.results.empty());
}

TEST(ProcedureTrap, AMonthNameFailsTheOrderCheckOfOkItself) {
    ControlHarness h;
    h.tick(1);
    // "Jan" passes the date check as January, but the order check converts the month boxes
    // as numbers when the years are equal.
    h.typeStart("01", "Jan", "01");
    h.reporter.clear();
    h.messages.shown.clear();
    h.pressOk();
    ASSERT_EQ(h.reporter.reports().size(), 1u);
    EXPECT_EQ(h.reporter.reports()[0].errProcName, "Private Sub btOk_Click()");
    EXPECT_EQ(h.reporter.reports()[0].VmErrNumber, 13);
    EXPECT_EQ(h.reporter.reports()[0].VmErrDescription, "Type mismatch");
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_TRUE(h.results.empty());
    EXPECT_EQ(h.ctrl.state().startDate.month, 1);  // the date check had stored it
}

TEST(ProcedureTrap, SplitLineReportsUnderTheGlobalModuleAndKeepsTheContainer) {
    errors::RecordingReporter reporter;
    errors::ProcedureTrap trap(reporter);
    LineFields fields;
    errno = 0;
    EXPECT_EQ(errors::splitLine(trap, std::string(40000, '-'), "-", fields), 0);
    ASSERT_EQ(reporter.reports().size(), 1u);
    EXPECT_EQ(reporter.reports()[0].errModName, "global");
    EXPECT_EQ(reporter.reports()[0].VmErrNumber, 6);
    EXPECT_EQ(reporter.containerCloses(), 0);
    EXPECT_EQ(errors::splitLine(trap, "31-12-01", "-", fields), 3);
}

TEST(ProcedureTrap, ReportsTheLastSystemErrorOfTheMomentOfFailure) {
    errors::RecordingReporter reporter;
    errors::ProcedureTrap trap(reporter);
    trap.run({"AnnalexCtrl", "Private Sub probe()"}, [] {
        noteSystemError(EACCES);
        raise(ErrorNumber::PermissionDenied, "Annalex.Test");
    });
    ASSERT_EQ(reporter.reports().size(), 1u);
    EXPECT_EQ(reporter.reports()[0],
              (errors::FailureReport{"AnnalexCtrl", "Private Sub probe()", "Permission denied", 70,
                                     "Annalex.Test", EACCES}));
    // Exceptions other than failures are reported too.
    trap.run({"AnnalexCtrl", "Private Sub probe()"}, [] { throw std::out_of_range("vector"); });
    ASSERT_EQ(reporter.reports().size(), 2u);
    EXPECT_EQ(reporter.reports()[1].VmErrNumber, 5);
    EXPECT_EQ(reporter.reports()[1].VmErrDescription, "vector");
}

}  // namespace
}  // namespace annalex::control
