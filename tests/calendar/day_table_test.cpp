// The day table's attribute columns: values filled in any order, and a value its column cannot
// hold refused with the member named.

#include "calendar/day_table.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/failure.hpp"
#include "support/time_model.hpp"

namespace annalex::testing {
namespace {

// The CSV day table of one Day member, Saturday 2 January 2021, whose level defines DayWeekend
// and DayHoliday, with attribute values set in the order given.
std::string oneDay(const std::vector<std::pair<std::string, std::string>>& values) {
    TimeModel model;
    const auto day = model.root(model.addLevel("Day", {"DayWeekend", "DayHoliday"}), "Sat 2 Jan");
    for (const auto& [key, value] : values) {
        day->setAttribute(key, value);
    }
    calendar::CalendarState state;
    const auto date = std::chrono::sys_days(std::chrono::year(2021) / 1 / 2);
    state.memberDates["Day\tSat 2 Jan"] = {date, date};
    std::ostringstream out;
    calendar::DayTableOptions options;
    options.attributes = true;
    calendar::writeDayTable(*model.hierarchy, state, options, out);
    return out.str();
}

TEST(DayTable, ValuesInAnyOrderFillTheirColumns) {
    EXPECT_EQ(
        oneDay({{"DayHoliday", "Bank, day"}, {"DayWeekend", "No"}}),
        "calendar_date,date_key,day_name,day_number,day_first_day,day_last_day,day_weekend,"
        "day_holiday,day_working_day\r\n"
        "2021-01-02,20210102,Sat 2 Jan,1,2021-01-02,2021-01-02,false,\"Bank, day\",false\r\n");
}

TEST(DayTable, ValueItsColumnCannotHoldIsNamed) {
    try {
        oneDay({{"DayWeekend", "Maybe"}});
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), 13);
        EXPECT_EQ(failure.description(),
                  "attribute DayWeekend of Day member 'Sat 2 Jan' holds 'Maybe', not Yes or No");
    }
}

}  // namespace
}  // namespace annalex::testing
