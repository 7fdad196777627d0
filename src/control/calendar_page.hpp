#pragma once
// The calendar page: every constituent control with its design-time contents.
//
// One frame without caption, Frame1, holds everything. "Date Format" (Frame5) holds the three
// format lists, their heading and the preview label; "Calendar Start and End Date" (Frame4)
// the six date boxes with their heading, separators and row labels; Frame2 the level list;
// Frame3 the two calendar-type buttons. OK and Cancel sit in Frame1 below Frame3.
//
// The page as created shows start date 01-01-01, end date 31-12-01, "Gregorian" selected, the
// preview "(01-01-01)", no level ticked and no format entry selected; the control's start-up
// then selects the first entry of each format list.

#include <array>
#include <vector>

#include "control/page_controls.hpp"

namespace annalex::control {

class CalendarPage {
  public:
    CalendarPage();
    CalendarPage(const CalendarPage&) = delete;
    CalendarPage& operator=(const CalendarPage&) = delete;

    Frame Frame1;
    Frame Frame2;
    CheckList availableList;
    PushButton btOk;
    PushButton btCancel;
    Frame Frame3;
    std::array<OptionButton, 2> calendarType;
    Frame Frame4;
    Label Label2;
    Label Label1;
    Frame Frame5;
    DropDownList cmbDay;
    Label lblDateFormat;
    TextBox txtStartDay;
    TextBox txtStartMonth;
    TextBox txtStartYear;
    std::array<Label, 4> lblSeparator;
    TextBox txtEndDay;
    TextBox txtEndMonth;
    TextBox txtEndYear;
    std::array<Label, 2> Label6;
    DropDownList cmbMonth;
    DropDownList cmbYear;

    // Every control in tab order (frames and labels included: they hold places in the
    // numbering but take no focus).
    const std::vector<PageControl*>& controls() const { return controls_; }
    // The controls that take the focus, in the order the Tab key visits them.
    std::vector<PageControl*> focusOrder() const;
    // The control that follows current in focus order (wrapping round).
    PageControl* nextInFocusOrder(const PageControl* current) const;

    FocusTracker& focus() { return focus_; }
    const FocusTracker& focus() const { return focus_; }

    // The control of that name (and array index, for control arrays); nullptr when none.
    PageControl* find(std::string_view name, int index = -1) const;

  private:
    FocusTracker focus_;
    std::vector<PageControl*> controls_;
};

}  // namespace annalex::control
