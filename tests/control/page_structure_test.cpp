// The page's structure as a whole: the tab order, the frames that hold the controls, and the
// calendar-type buttons, which show the calendar list's first entries.

#include <gtest/gtest.h>

#include <set>

#include "calendar/calendar_list.hpp"
#include "support/page_doubles.hpp"

namespace annalex::control {
namespace {

using testing::ControlHarness;

TEST(CalendarPage, TabCyclesThroughEveryFocusableControlOnceInTabOrder) {
    ControlHarness h;
    const CalendarPage& page = h.ctrl.page();
    const auto order = page.focusOrder();
    ASSERT_FALSE(order.empty());
    std::set<const PageControl*> visited;
    const PageControl* at = order.front();
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_TRUE(at->takesFocus()) << at->name();
        EXPECT_TRUE(visited.insert(at).second) << at->name() << " visited twice";
        const PageControl* next = page.nextInFocusOrder(at);
        if (i + 1 < order.size()) {
            EXPECT_LT(at->tabIndex(), next->tabIndex()) << at->name();
        }
        at = next;
    }
    EXPECT_EQ(at, order.front());
    // Every control, frames and labels too, holds its own place in the numbering.
    std::set<int> tabIndexes;
    for (const PageControl* control : page.controls()) {
        EXPECT_TRUE(tabIndexes.insert(control->tabIndex()).second) << control->name();
    }
}

TEST(CalendarPage, EveryControlLiesInsideTheFrameThatHoldsIt) {
    ControlHarness h;
    const CalendarPage& page = h.ctrl.page();
    for (const PageControl* control : page.controls()) {
        if (control->container().empty()) {
            continue;
        }
        const PageControl* frame = page.find(control->container());
        ASSERT_NE(frame, nullptr) << control->name();
        EXPECT_EQ(frame->kind(), ControlKind::Frame) << control->name();
        const Geometry& g = control->geometry();
        const Geometry& f = frame->geometry();
        EXPECT_GE(g.left, 0) << control->name();
        EXPECT_GE(g.top, 0) << control->name();
        EXPECT_LE(g.left + g.width, f.width) << control->name();
        EXPECT_LE(g.top + g.height, f.height) << control->name();
    }
}

TEST(CalendarPage, CalendarButtonsShowTheListsFirstCalendarsAndChooseThem) {
    ControlHarness h;
    CalendarPage& page = h.ctrl.page();
    ASSERT_EQ(page.calendarType.size(), calendar::pageCalendarCount());
    for (std::size_t i = 0; i < page.calendarType.size(); ++i) {
        EXPECT_EQ(page.calendarType[i].caption(), calendar::calendarList()[i].caption);
    }
    EXPECT_TRUE(page.calendarType[0].value());
    page.calendarType[1].click();
    EXPECT_FALSE(page.calendarType[0].value());
    EXPECT_FALSE(h.ctrl.state().gregorian);
    page.calendarType[0].click();
    EXPECT_TRUE(h.ctrl.state().gregorian);
    h.ctrl.calendarType_Click(7);  // any index other than 0 is fiscal
    EXPECT_FALSE(h.ctrl.state().gregorian);
}

}  // namespace
}  // namespace annalex::control
