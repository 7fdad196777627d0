#pragma once
// The holidays of a rule set looked up day by day, each calendar year evaluated once: what the
// member builders ask for every day they fill.

#include <chrono>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "calendar/holidays/holiday_dates.hpp"
#include "calendar/holidays/holiday_rules.hpp"

namespace annalex::calendar::holidays {

class HolidayCalendar {
  public:
    explicit HolidayCalendar(RuleSet rules) : rules_(std::move(rules)) {}

    // The names of the holidays on day joined by ", ", empty when it is no holiday.
    const std::string& nameOn(std::chrono::sys_days day);
    bool isHoliday(std::chrono::sys_days day) { return !nameOn(day).empty(); }

    const RuleSet& rules() const { return rules_; }

  private:
    // One year's holiday days with their joined names, sorted by day.
    using YearDays = std::vector<std::pair<std::chrono::sys_days, std::string>>;
    const YearDays& year(int number);

    RuleSet rules_;
    std::unordered_map<int, YearDays> years_;
    int lastYear_ = 0;
    const YearDays* last_ = nullptr;
    std::string none_;
};

}  // namespace annalex::calendar::holidays
