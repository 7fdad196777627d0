// A host's choice of calendar on the control: page calendars through their buttons, the others
// by key, with the level rules each keeps.

#include <gtest/gtest.h>

#include "calendar/calendar_state.hpp"
#include "support/page_doubles.hpp"

namespace annalex::control {
namespace {

using testing::ControlHarness;

TEST(CalendarChoice, PageKeysClickTheirButtonsOtherKeysAreKeptAndUnknownKeysRefused) {
    ControlHarness h;
    EXPECT_FALSE(h.ctrl.chooseCalendar("julian"));
    EXPECT_EQ(h.ctrl.chosenCalendar(), "gregorian");
    EXPECT_TRUE(h.ctrl.chooseCalendar("fiscal"));
    EXPECT_TRUE(h.ctrl.page().calendarType[1].value());
    EXPECT_FALSE(h.ctrl.state().gregorian);
    calendar::CalendarOptions options;
    options.longQuarter = 2;
    EXPECT_TRUE(h.ctrl.chooseCalendar("periods13", options));
    EXPECT_EQ(h.ctrl.chosenCalendar(), "periods13");
    EXPECT_EQ(h.ctrl.state().calendarOptions, options);
    EXPECT_TRUE(h.ctrl.chooseCalendar("gregorian"));
    EXPECT_EQ(h.ctrl.chosenCalendar(), "gregorian");
    EXPECT_TRUE(h.ctrl.page().calendarType[0].value());
}

// Quarter with Day, which the page refuses, generates with retail: 4 quarters of 91 days in a
// 52-week year; the same choice on Gregorian still shows the page's message.
TEST(CalendarChoice, ExtendedCalendarsTakeAnyNonEmptyLevelSet) {
    ControlHarness retail;
    retail.typeStart("01", "06", "2021");
    retail.typeEnd("01", "06", "2021");
    retail.tick(calendar::kQuarterBit | calendar::kDayBit);
    ASSERT_TRUE(retail.ctrl.chooseCalendar("retail"));
    retail.pressOk();
    EXPECT_EQ(retail.results, std::vector<bool>{true});
    EXPECT_EQ(retail.hierarchy()->memberCount(), 4u + 364u);

    ControlHarness page;
    page.tick(calendar::kQuarterBit | calendar::kDayBit);
    page.pressOk();
    EXPECT_TRUE(page.results.empty());
    ASSERT_EQ(page.messages.shown.size(), 1u);
}

// A calendar without quarters and months refuses them at OK, before anything is generated,
// naming what it lacks; its own levels generate.
TEST(CalendarChoice, LevelsTheChosenCalendarLacksAreRefusedAtOk) {
    using namespace calendar;
    const std::pair<int, const char*> cases[] = {
        {kYearBit | kQuarterBit | kMonthBit | kWeekBit | kDayBit,
         "The calendar \"ISO 8601 weeks\" has no Quarter or Month level. Please untick them "
         "or choose another calendar."},
        {kYearBit | kQuarterBit,
         "The calendar \"ISO 8601 weeks\" has no Quarter level. Please untick it or choose "
         "another calendar."},
        {kYearBit | kWeekBit | kDayBit, nullptr},
    };
    for (const auto& [mask, message] : cases) {
        ControlHarness h;
        h.typeEnd("31", "12", "2001");
        h.tick(mask);
        ASSERT_TRUE(h.ctrl.chooseCalendar("iso"));
        h.pressOk();
        if (message != nullptr) {
            EXPECT_EQ(h.messages.texts(), std::vector<std::string>{message});
            EXPECT_TRUE(h.results.empty());
            EXPECT_EQ(h.hierarchy(), nullptr);
        } else {
            EXPECT_EQ(h.results, std::vector<bool>{true});
            EXPECT_GT(h.hierarchy()->memberCount(), 365u);
        }
    }
}

// The host's approval is asked only once the input passed its checks; a refusal ends OK
// before the notice, with nothing written and no event.
TEST(GenerationApproval, IsAskedAfterTheChecksAndCanStopOk) {
    ControlHarness h;
    int asked = 0;
    bool approve = false;
    h.ctrl.setGenerationApproval([&] {
        ++asked;
        return approve;
    });
    h.pressOk();  // no level ticked
    EXPECT_EQ(asked, 0);
    h.tick(calendar::kYearBit);
    h.pressOk();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(h.messages.shown.size(), 1u);  // the level message only
    EXPECT_TRUE(h.results.empty());
    EXPECT_EQ(h.hierarchy(), nullptr);
    approve = true;
    h.pressOk();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(h.results, std::vector<bool>{true});
    EXPECT_EQ(h.hierarchy()->memberCount(), 1u);
}

}  // namespace
}  // namespace annalex::control
