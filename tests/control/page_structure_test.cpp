// The page's structure as a whole: the tab order and the frames that hold the controls.

#include <gtest/gtest.h>

#include <set>

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

}  // namespace
}  // namespace annalex::control
