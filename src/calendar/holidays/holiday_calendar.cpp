#include "calendar/holidays/holiday_calendar.hpp"

#include <algorithm>
#include <cstdint>

#include "calendar/dates.hpp"

namespace annalex::calendar::holidays {

const HolidayCalendar::YearDays& HolidayCalendar::year(int number) {
    if (last_ != nullptr && lastYear_ == number) {
        return *last_;
    }
    auto found = years_.find(number);
    if (found == years_.end()) {
        YearDays days;
        for (const Holiday& holiday : holidaysIn(rules_, number)) {
            if (!days.empty() && days.back().first == holiday.day) {
                days.back().second += ", ";
                days.back().second += holiday.name;
            } else {
                days.emplace_back(holiday.day, holiday.name);
            }
        }
        found = years_.emplace(number, std::move(days)).first;
    }
    lastYear_ = number;
    last_ = &found->second;
    return *last_;
}

const std::string& HolidayCalendar::nameOn(std::chrono::sys_days day) {
    // Counted on integers: std::chrono's years end at 32767, a calendar's days may not.
    const std::int32_t number = civilDate(day).year;
    if (number < kFirstHolidayYear || number > kLastHolidayYear) {
        return none_;
    }
    const YearDays& days = year(number);
    const auto found = std::lower_bound(
        days.begin(), days.end(), day,
        [](const auto& entry, std::chrono::sys_days d) { return entry.first < d; });
    return found != days.end() && found->first == day ? found->second : none_;
}

}  // namespace annalex::calendar::holidays
