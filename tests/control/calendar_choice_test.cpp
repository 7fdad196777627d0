// A host's choices on the control: the calendar (page calendars through their buttons, the
// others by key, with the level rules each keeps) and the holiday set.

#include <gtest/gtest.h>

#include "calendar/calendar_list.hpp"
#include "calendar/calendar_state.hpp"
#include "support/page_doubles.hpp"

namespace annalex::control {
namespace {

using testing::ControlHarness;

// The page's buttons show the calendar list's first entries; page keys click them.
TEST(CalendarChoice, PageKeysClickTheirButtonsOtherKeysAreKeptAndUnknownKeysRefused) {
    ControlHarness h;
    ASSERT_EQ(h.ctrl.page().calendarType.size(), calendar::pageCalendarCount());
    for (std::size_t i = 0; i < h.ctrl.page().calendarType.size(); ++i) {
        EXPECT_EQ(h.ctrl.page().calendarType[i].caption(), calendar::calendarList()[i].caption);
    }
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
    EXPECT_FALSE(h.ctrl.page().calendarType[1].value());
    h.ctrl.calendarType_Click(7);  // any index other than 0 is fiscal
    EXPECT_FALSE(h.ctrl.state().gregorian);
}

// Quarter with Day, which the page's calendars refuse, generates with retail: 4 quarters of 91
// days in a 52-week year.
TEST(CalendarChoice, ExtendedCalendarsTakeAnyNonEmptyLevelSet) {
    ControlHarness retail;
    retail.typeStart("01", "06", "2021");
    retail.typeEnd("01", "06", "2021");
    retail.tick(calendar::kQuarterBit | calendar::kDayBit);
    ASSERT_TRUE(retail.ctrl.chooseCalendar("retail"));
    retail.pressOk();
    EXPECT_EQ(retail.results, std::vector<bool>{true});
    EXPECT_EQ(retail.hierarchy()->memberCount(), 4u + 364u);
}

// A calendar without quarters and months refuses them at OK, naming them, before anything is
// generated.
TEST(CalendarChoice, LevelsTheChosenCalendarLacksAreRefusedAtOk) {
    ControlHarness h;
    h.tick(calendar::kYearBit | calendar::kQuarterBit | calendar::kMonthBit | calendar::kDayBit);
    ASSERT_TRUE(h.ctrl.chooseCalendar("iso"));
    h.pressOk();
    EXPECT_TRUE(h.results.empty());
    EXPECT_EQ(h.hierarchy(), nullptr);
    EXPECT_EQ(h.messages.texts(),
              std::vector<std::string>{"The calendar \"ISO 8601 weeks\" has no Quarter or Month "
                                       "level. Please untick them or choose another calendar."});
}

// A faulty holiday set is refused and keeps the previous choice; the empty one chooses none.
TEST(CalendarChoice, AFaultyHolidaySetKeepsThePreviousOne) {
    ControlHarness h;
    EXPECT_EQ(h.ctrl.setHolidays("de"), "");
    const auto before = h.ctrl.state().holidays;
    ASSERT_NE(before, nullptr);
    EXPECT_NE(h.ctrl.setHolidays("no-such-set.rules"), "");
    EXPECT_EQ(h.ctrl.state().holidays, before);
    EXPECT_EQ(h.ctrl.setHolidays(""), "");
    EXPECT_EQ(h.ctrl.state().holidays, nullptr);
}

}  // namespace
}  // namespace annalex::control
