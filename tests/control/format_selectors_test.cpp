#include <gtest/gtest.h>

#include "support/page_doubles.hpp"

namespace annalex::control {
namespace {

using testing::ControlHarness;

TEST(Preview, EachChoiceReplacesOnlyItsOwnPiece) {
    ControlHarness h;
    CalendarPage& page = h.ctrl.page();
    std::vector<std::string> seen;
    page.cmbDay.select(2);
    seen.push_back(page.lblDateFormat.caption());
    page.cmbMonth.select(2);
    seen.push_back(page.lblDateFormat.caption());
    page.cmbYear.select(1);
    seen.push_back(page.lblDateFormat.caption());
    page.cmbDay.select(0);
    seen.push_back(page.lblDateFormat.caption());
    page.cmbMonth.select(0);
    seen.push_back(page.lblDateFormat.caption());
    page.cmbMonth.select(1);
    seen.push_back(page.lblDateFormat.caption());
    page.cmbDay.select(1);
    seen.push_back(page.lblDateFormat.caption());
    EXPECT_EQ(seen,
              (std::vector<std::string>{"(Monday 01-01-01)", "(Monday 01-January-01)",
                                        "(Monday 01-January-2001)", "(01-January-2001)",
                                        "(01-01-2001)", "(01-Jan-2001)", "(Mon 01-Jan-2001)"}));
}

TEST(Preview, ChoosingTheSelectedEntryAgainRebuildsTheSameCaption) {
    ControlHarness h;
    CalendarPage& page = h.ctrl.page();
    page.cmbYear.select(1);
    int redraws = 0;
    page.cmbYear.addObserver([&] { ++redraws; });
    page.cmbYear.select(1);
    EXPECT_EQ(redraws, 1);  // the click went through
    EXPECT_EQ(page.lblDateFormat.caption(), "(01-01-2001)");
}

TEST(Preview, TheChangeHandlersAloneLeaveTheCaptionWhenNothingIsSelected) {
    ControlHarness h;
    CalendarPage& page = h.ctrl.page();
    page.cmbMonth.select(-1);
    h.ctrl.cmbMonth_Change();
    EXPECT_EQ(page.lblDateFormat.caption(), "(01-01-01)");
    EXPECT_TRUE(h.reporter.reports().empty());
}

}  // namespace
}  // namespace annalex::control
