#include <gtest/gtest.h>

#include "support/page_doubles.hpp"

namespace annalex::control {
namespace {

using testing::ControlHarness;

TEST(CalendarPage, ShowsItsDesignTimeContentsAfterStartUp) {
    ControlHarness h;
    const CalendarPage& page = h.ctrl.page();
    EXPECT_EQ(page.cmbDay.text(), "DD");
    EXPECT_EQ(page.cmbMonth.text(), "MM");
    EXPECT_EQ(page.cmbYear.text(), "YY");
    EXPECT_EQ(page.lblDateFormat.caption(), "(01-01-01)");
    EXPECT_EQ(page.txtStartDay.text(), "01");
    EXPECT_EQ(page.txtStartMonth.text(), "01");
    EXPECT_EQ(page.txtStartYear.text(), "01");
    EXPECT_EQ(page.txtEndDay.text(), "31");
    EXPECT_EQ(page.txtEndMonth.text(), "12");
    EXPECT_EQ(page.txtEndYear.text(), "01");
    EXPECT_TRUE(page.calendarType[0].value());
    EXPECT_FALSE(page.calendarType[1].value());
    EXPECT_EQ(page.availableList.entries(),
              (std::vector<std::string>{"Year", "Quarter", "Month", "Week", "Day"}));
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(page.availableList.selected(i));
        EXPECT_EQ(page.availableList.itemData(static_cast<std::size_t>(i)), 0);
    }
    EXPECT_EQ(page.cmbMonth.entries(), (std::vector<std::string>{"MM", "MMM", "MMMM"}));
    EXPECT_EQ(page.cmbYear.entries(), (std::vector<std::string>{"YY", "YYYY"}));
    // Start-up showed nothing and reported nothing.
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_TRUE(h.reporter.reports().empty());
}

TEST(CalendarPage, CaptionsKeepTheirExactBlanks) {
    ControlHarness h;
    const CalendarPage& page = h.ctrl.page();
    EXPECT_EQ(page.Frame2.caption(), "Click on the selected Time Levels ");
    EXPECT_EQ(page.Frame3.caption(), "Select the type of Calendar ");
    EXPECT_EQ(page.Frame4.caption(), "Calendar Start and End Date");
    EXPECT_EQ(page.Frame5.caption(), "Date Format");
    EXPECT_EQ(page.Frame1.caption(), "");
    EXPECT_EQ(page.Label6[0].caption(), "Day    Month      Year");
    EXPECT_EQ(page.Label6[1].caption(), "  Day      Month     Year");
    EXPECT_EQ(page.btOk.caption(), "Ok");
    EXPECT_EQ(page.calendarType[1].caption(), "Fiscal");
}

TEST(CalendarPage, TabVisitsTheControlsInTheirKeyboardOrder) {
    ControlHarness h;
    const CalendarPage& page = h.ctrl.page();
    std::vector<std::string> visited;
    const PageControl* at = &page.availableList;
    for (int i = 0; i < 13; ++i) {
        visited.push_back(at->name() + (at->index() >= 0 ? std::to_string(at->index()) : ""));
        at = page.nextInFocusOrder(at);
    }
    EXPECT_EQ(visited, (std::vector<std::string>{
                           "availableList", "btOk", "btCancel", "calendarType0", "calendarType1",
                           "cmbDay", "txtStartDay", "txtStartMonth", "txtStartYear", "txtEndDay",
                           "txtEndMonth", "txtEndYear", "cmbMonth"}));
    EXPECT_EQ(page.nextInFocusOrder(&page.cmbMonth), &page.cmbYear);
    EXPECT_EQ(page.nextInFocusOrder(&page.cmbYear), &page.availableList);
    EXPECT_EQ(page.controls().size(), 28u);
}

TEST(CalendarPage, GeometryFontsAndContainers) {
    ControlHarness h;
    const CalendarPage& page = h.ctrl.page();
    EXPECT_EQ(page.Frame1.geometry(), (Geometry{0, 0, 6495, 4035}));
    EXPECT_EQ(page.txtEndYear.geometry(), (Geometry{2205, 1110, 600, 285}));
    EXPECT_EQ(page.lblSeparator[3].geometry(), (Geometry{1965, 1125, 180, 255}));
    EXPECT_EQ(page.cmbYear.container(), "Frame5");
    EXPECT_EQ(page.availableList.container(), "Frame2");
    EXPECT_EQ(page.btOk.container(), "Frame1");
    EXPECT_TRUE(page.lblDateFormat.font().bold);
    EXPECT_DOUBLE_EQ(page.lblDateFormat.font().pointSize, 8.25);
    EXPECT_EQ(page.lblDateFormat.alignment(), TextAlignment::Centre);
    EXPECT_DOUBLE_EQ(page.lblSeparator[0].font().pointSize, 9.75);
    EXPECT_TRUE(page.txtStartDay.font().isDefault());
    EXPECT_EQ(page.find("lblSeparator", 2), &page.lblSeparator[2]);
    EXPECT_EQ(page.find("calendarType"), nullptr);
}

}  // namespace
}  // namespace annalex::control
