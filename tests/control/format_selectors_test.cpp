#include <gtest/gtest.h>

#include <tuple>

#include "support/page_doubles.hpp"

namespace annalex::control {
namespace {

using testing::ControlHarness;

TEST(Preview, EachChoiceReplacesOnlyItsOwnPiece) {
    ControlHarness h;
    CalendarPage& page = h.ctrl.page();
    const std::tuple<DropDownList*, std::int16_t, const char*> steps[] = {
        {&page.cmbDay, 2, "(Monday 01-01-01)"},
        {&page.cmbMonth, 2, "(Monday 01-January-01)"},
        {&page.cmbYear, 1, "(Monday 01-January-2001)"},
        {&page.cmbDay, 0, "(01-January-2001)"},
        {&page.cmbMonth, 0, "(01-01-2001)"},
        {&page.cmbMonth, 1, "(01-Jan-2001)"},
        {&page.cmbDay, 1, "(Mon 01-Jan-2001)"}};
    for (const auto& [list, entry, caption] : steps) {
        list->select(entry);
        EXPECT_EQ(page.lblDateFormat.caption(), caption) << list->name() << " " << entry;
    }
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

// With no month format selected the preview stays and quarters are named without a prefix.
TEST(Preview, NothingSelectedLeavesTheCaptionAndTheQuarterPrefix) {
    ControlHarness h;
    CalendarPage& page = h.ctrl.page();
    page.cmbMonth.select(-1);
    h.ctrl.cmbMonth_Change();
    EXPECT_EQ(page.lblDateFormat.caption(), "(01-01-01)");
    h.ctrl.builder().generateQuarters();
    EXPECT_EQ(h.ctrl.state().quarterList, (std::vector<std::string>{"1", "2", "3", "4", ""}));
    EXPECT_TRUE(h.reporter.reports().empty());
}

}  // namespace
}  // namespace annalex::control
