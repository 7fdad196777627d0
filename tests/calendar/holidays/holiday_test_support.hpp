#pragma once
// Holidays as "YYYY-MM-DD Name" lines, so that a case lists what a person would check.

#include <cstdio>
#include <string>
#include <vector>

#include "calendar/holidays/holiday_dates.hpp"

namespace annalex::testing {

inline std::string isoText(std::chrono::sys_days day) {
    const std::chrono::year_month_day date(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

inline std::vector<std::string> holidayLines(const calendar::holidays::RuleSet& rules, int year) {
    std::vector<std::string> lines;
    for (const auto& holiday : calendar::holidays::holidaysIn(rules, year)) {
        lines.push_back(isoText(holiday.day) + " " + holiday.name);
    }
    return lines;
}

inline std::chrono::sys_days isoDate(int year, unsigned month, unsigned day) {
    return std::chrono::year(year) / std::chrono::month(month) / std::chrono::day(day);
}

}  // namespace annalex::testing
