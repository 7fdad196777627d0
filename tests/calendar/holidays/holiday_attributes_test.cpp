// Holidays and weekend days in the filled attributes of a generation through the control.

#include <gtest/gtest.h>

#include <map>

#include "../calendar_test_support.hpp"
#include "calendar/holidays/holiday_rules.hpp"

namespace annalex::testing {
namespace {

// ISO week-year 2021 runs from 4 January 2021 to 2 January 2022: 260 weekdays, less the eleven
// United States holidays observed in it, the last being New Year's Day 2022 observed on Friday
// 31 December. The generation's members check each day against its holiday set; these fix the
// sets and weekends themselves.
TEST(HolidayAttributes, DaysAndWorkingDaysFollowTheHolidaysAndWeekend) {
    using std::chrono::Friday, std::chrono::Saturday, std::chrono::Sunday;
    struct Generation {
        std::string holidays;
        std::vector<std::chrono::weekday> weekend;
        std::string workingDays;
        std::map<std::string, std::string> days;  // day member -> DayHoliday and DayWeekend
    };
    const std::vector<Generation> generations = {
        {"us",
         {Saturday, Sunday},
         "249",
         {{"Fri 31 Dec_2021", "New Year's Day (observed)/No"},
          {"Sat 1 Jan_2022", "New Year's Day/Yes"},
          {"Tue 5 Jan_2021", "/No"}}},
        {"", {Friday, Saturday}, "260", {{"Fri 31 Dec_2021", "/Yes"}, {"Sun 2 Jan_2022", "/No"}}},
        {"gb-eng",
         {},
         "253",
         {{"Mon 27 Dec_2021", "Christmas Day (observed)/No"},
          {"Tue 28 Dec_2021", "Boxing Day (observed)/No"}}},
    };
    for (const Generation& generation : generations) {
        ControlHarness harness;
        harness.typeStart("01", "06", "2021");
        harness.typeEnd("30", "06", "2021");
        harness.tick(1 | 8 | 16);
        ASSERT_TRUE(harness.ctrl.chooseCalendar("iso"));
        harness.ctrl.setFillAttributes(true);
        ASSERT_EQ(harness.ctrl.setHolidays(generation.holidays), "");
        if (!generation.weekend.empty()) {
            calendar::holidays::WeekdaySet weekend;
            for (const std::chrono::weekday day : generation.weekend) {
                weekend.add(day);
            }
            harness.ctrl.setWeekend(weekend);
        }
        harness.pressOk();
        ASSERT_EQ(harness.results, std::vector<bool>{true});
        const Tree tree(*harness.hierarchy());
        EXPECT_EQ(tree.attributes("2021")["YearNumberOfWorkingDays"], generation.workingDays)
            << generation.holidays;
        for (const auto& [day, expected] : generation.days) {
            auto values = tree.attributes(day);
            EXPECT_EQ(values["DayHoliday"] + "/" + values["DayWeekend"], expected)
                << generation.holidays << " " << day;
        }
    }
}

TEST(HolidayAttributes, AFaultyChoiceKeepsThePreviousOne) {
    ControlHarness harness;
    EXPECT_EQ(harness.ctrl.setHolidays("de"), "");
    const auto before = harness.ctrl.state().holidays;
    EXPECT_NE(harness.ctrl.setHolidays("no-such-set.rules"), "");
    EXPECT_EQ(harness.ctrl.state().holidays, before);
    EXPECT_EQ(harness.ctrl.setHolidays(""), "");
    EXPECT_EQ(harness.ctrl.state().holidays, nullptr);
}

}  // namespace
}  // namespace annalex::testing
