#include "control/calendar_page.hpp"

#include <algorithm>
#include <string>

#include "calendar/calendar_list.hpp"

namespace annalex::control {
namespace {

const FontSpec kHeadingFont{"MS Sans Serif", 8.25, true};
const FontSpec kSeparatorFont{"MS Sans Serif", 9.75, true};

// The caption of the page's calendar-type button index: the list's entry of that position.
std::string calendarCaption(std::size_t index) {
    static_assert(calendar::pageCalendarCount() == 2, "the page has two calendar-type buttons");
    return std::string(calendar::calendarList()[index].caption);
}

Label separator(int index, Geometry geometry, int tabIndex) {
    return Label("lblSeparator", index, "Frame4", geometry, tabIndex, "-", TextAlignment::Centre);
}

}  // namespace

CalendarPage::CalendarPage()
    : Frame1("Frame1", "", {0, 0, 6495, 4035}, 0, ""),
      Frame2("Frame2", "Frame1", {360, 2130, 3000, 1575}, 1, "Click on the selected Time Levels "),
      availableList("availableList", "Frame2", {360, 270, 2295, 1185}, 2,
                    {"Year", "Quarter", "Month", "Week", "Day"}),
      btOk("btOk", "Frame1", {3870, 3495, 900, 375}, 3, "Ok"),
      btCancel("btCancel", "Frame1", {4830, 3495, 900, 375}, 4, "Cancel"),
      Frame3("Frame3", "Frame1", {3540, 2130, 2385, 1170}, 5, "Select the type of Calendar "),
      calendarType{OptionButton("calendarType", 0, "Frame3", {705, 390, 1455, 195}, 6,
                                calendarCaption(0), true),
                   OptionButton("calendarType", 1, "Frame3", {720, 735, 1095, 195}, 7,
                                calendarCaption(1), false)},
      Frame4("Frame4", "Frame1", {3255, 345, 2925, 1605}, 8, "Calendar Start and End Date"),
      Label2("Label2", -1, "Frame4", {60, 1155, 705, 270}, 9, "End Date", TextAlignment::Left),
      Label1("Label1", -1, "Frame4", {45, 645, 720, 285}, 10, "Start Date", TextAlignment::Left),
      Frame5("Frame5", "Frame1", {525, 345, 2550, 1620}, 11, "Date Format"),
      cmbDay("cmbDay", "Frame5", {90, 735, 780, 315}, 12, {"DD", "DDD", "DDDD"}),
      lblDateFormat("lblDateFormat", -1, "Frame5", {120, 1275, 2295, 210}, 13, "(01-01-01)",
                    TextAlignment::Centre),
      txtStartDay("txtStartDay", "Frame4", {885, 630, 360, 285}, 14, "01"),
      txtStartMonth("txtStartMonth", "Frame4", {1530, 630, 360, 285}, 15, "01"),
      txtStartYear("txtStartYear", "Frame4", {2205, 630, 600, 285}, 16, "01"),
      lblSeparator{separator(0, {1290, 645, 180, 255}, 17), separator(1, {1965, 645, 180, 255}, 18),
                   separator(2, {1290, 1125, 180, 255}, 22),
                   separator(3, {1965, 1125, 180, 255}, 23)},
      txtEndDay("txtEndDay", "Frame4", {885, 1110, 360, 285}, 19, "31"),
      txtEndMonth("txtEndMonth", "Frame4", {1530, 1110, 360, 285}, 20, "12"),
      txtEndYear("txtEndYear", "Frame4", {2205, 1110, 600, 285}, 21, "01"),
      Label6{Label("Label6", 0, "Frame4", {855, 315, 1980, 240}, 24, "Day    Month      Year",
                   TextAlignment::Left),
             Label("Label6", 1, "Frame5", {195, 420, 2160, 240}, 25, "  Day      Month     Year",
                   TextAlignment::Left)},
      cmbMonth("cmbMonth", "Frame5", {900, 735, 780, 315}, 26, {"MM", "MMM", "MMMM"}),
      cmbYear("cmbYear", "Frame5", {1695, 735, 780, 315}, 27, {"YY", "YYYY"}) {
    Label6[0].setFont(kHeadingFont);
    Label6[1].setFont(kHeadingFont);
    lblDateFormat.setFont(kHeadingFont);
    for (Label& label : lblSeparator) {
        label.setFont(kSeparatorFont);
    }

    controls_ = {&Frame1,       &Frame2,          &availableList,   &btOk,
                 &btCancel,     &Frame3,          &calendarType[0], &calendarType[1],
                 &Frame4,       &Label2,          &Label1,          &Frame5,
                 &cmbDay,       &lblDateFormat,   &txtStartDay,     &txtStartMonth,
                 &txtStartYear, &lblSeparator[0], &lblSeparator[1], &txtEndDay,
                 &txtEndMonth,  &txtEndYear,      &lblSeparator[2], &lblSeparator[3],
                 &Label6[0],    &Label6[1],       &cmbMonth,        &cmbYear};
    std::stable_sort(
        controls_.begin(), controls_.end(),
        [](const PageControl* a, const PageControl* b) { return a->tabIndex() < b->tabIndex(); });
    for (PageControl* control : controls_) {
        control->attachFocus(&focus_);
    }
}

std::vector<PageControl*> CalendarPage::focusOrder() const {
    std::vector<PageControl*> order;
    for (PageControl* control : controls_) {
        if (control->takesFocus()) {
            order.push_back(control);
        }
    }
    return order;
}

PageControl* CalendarPage::nextInFocusOrder(const PageControl* current) const {
    const auto order = focusOrder();
    const auto at = std::find(order.begin(), order.end(), current);
    if (at == order.end() || std::next(at) == order.end()) {
        return order.front();
    }
    return *std::next(at);
}

PageControl* CalendarPage::find(std::string_view name, int index) const {
    for (PageControl* control : controls_) {
        if (control->name() == name && control->index() == index) {
            return control;
        }
    }
    return nullptr;
}

}  // namespace annalex::control
