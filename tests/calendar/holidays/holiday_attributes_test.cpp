// Holidays and weekend days in the filled attributes of a generation through the control.

#include <gtest/gtest.h>

#include <map>

#include "calendar/holidays/holiday_rules.hpp"
#include "support/page_doubles.hpp"

namespace annalex::testing {
namespace {

// Every member's attributes by level and member name.
using Attributes = std::map<std::string, std::string>;
std::map<std::string, Attributes> generated(ControlHarness& harness) {
    std::map<std::string, Attributes> members;
    const auto hierarchy = harness.hierarchy();
    hierarchy->walkPreOrder([&](const cube::MemberView& member, int) {
        Attributes& values = members[hierarchy->level(member.levelPosition()).name() + "/" +
                                     std::string(member.name())];
        hierarchy->forEachAttribute(member.id, [&](std::string_view key, std::string_view value) {
            values[std::string(key)] = value;
        });
    });
    return members;
}

struct Generation {
    std::string holidays;
    std::string weekend;
    std::map<std::string, std::map<std::string, std::string>> expected;  // member -> key -> value
};

// ISO week-year 2021 runs from 4 January 2021 to 2 January 2022: its 260 weekdays less the
// eleven United States holidays observed in it, the last being New Year's Day 2022 observed on
// Friday 31 December.
TEST(HolidayAttributes, DaysAndWorkingDaysFollowTheHolidaysAndWeekend) {
    const std::vector<Generation> generations = {
        {"us",
         "sat,sun",
         {{"Year/2021", {{"YearNumberOfWorkingDays", "249"}}},
          {"Day/Fri 31 Dec_2021",
           {{"DayHoliday", "New Year's Day (observed)"}, {"DayWeekend", "No"}}},
          {"Day/Sat 1 Jan_2022", {{"DayHoliday", "New Year's Day"}, {"DayWeekend", "Yes"}}},
          {"Day/Tue 5 Jan_2021", {{"DayHoliday", ""}}}}},
        {"",
         "fri,sat",
         {{"Year/2021", {{"YearNumberOfWorkingDays", "260"}}},
          {"Day/Fri 31 Dec_2021", {{"DayHoliday", ""}, {"DayWeekend", "Yes"}}},
          {"Day/Sun 2 Jan_2022", {{"DayWeekend", "No"}}}}},
        {"gb-eng",
         "",
         {{"Year/2021", {{"YearNumberOfWorkingDays", "253"}}},
          {"Day/Mon 27 Dec_2021", {{"DayHoliday", "Christmas Day (observed)"}}},
          {"Day/Tue 28 Dec_2021", {{"DayHoliday", "Boxing Day (observed)"}}}}},
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
            weekend.add(generation.weekend == "sat,sun" ? std::chrono::Saturday
                                                        : std::chrono::Friday);
            weekend.add(generation.weekend == "sat,sun" ? std::chrono::Sunday
                                                        : std::chrono::Saturday);
            harness.ctrl.setWeekend(weekend);
        }
        harness.pressOk();
        ASSERT_EQ(harness.results, std::vector<bool>{true});
        const auto members = generated(harness);
        for (const auto& [member, values] : generation.expected) {
            const auto found = members.find(member);
            ASSERT_NE(found, members.end()) << member;
            for (const auto& [key, value] : values) {
                EXPECT_EQ(found->second.at(key), value)
                    << generation.holidays << " " << member << " " << key;
            }
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
