// The text-fed leap-year procedures, checked against std::chrono for every four-digit year. (The
// tables and period-name lists they sit beside are pinned by the golden digests.)

#include <gtest/gtest.h>

#include <chrono>

#include "support/page_doubles.hpp"

namespace annalex::calendar {
namespace {

namespace chr = std::chrono;
using testing::ControlHarness;

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

}  // namespace
}  // namespace annalex::calendar
