#pragma once
// The holidays of a year from a rule set: where each rule puts its day, and where the day is
// observed when a rule moves it off a weekend.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "calendar/holidays/holiday_rules.hpp"

namespace annalex::calendar::holidays {

// Easter Sunday of a Gregorian year (the computus of the Gregorian calendar, any year from
// 1583 on; earlier years are computed by the same arithmetic).
std::chrono::year_month_day easterSunday(int year);

// The day rule names in year, or none: the year is outside the rule's years, or the day does
// not exist that year (02-29 in a common year, a fifth weekday a month lacks).
std::optional<std::chrono::sys_days> ruleDay(const Rule& rule, int year);

struct Holiday {
    std::chrono::sys_days day;
    std::string name;
    // The day a rule moved the holiday to (its name then ends in " (observed)").
    bool observed = false;

    friend bool operator==(const Holiday&, const Holiday&) = default;
};

// Every holiday whose day lies in calendar year `year`, sorted by day (ties in rule order),
// observed days included, also those moved into it from the year before or after. A holiday
// that is moved keeps its own day as well. None for a year outside kFirstHolidayYear to
// kLastHolidayYear; nothing is moved into a year beyond. Linear in the rules and the days
// around the year (after sorting the rules' days).
std::vector<Holiday> holidaysIn(const RuleSet& rules, int year);

}  // namespace annalex::calendar::holidays
