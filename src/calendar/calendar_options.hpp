#pragma once
// The options a host can set for the week-based calendars (iso, retail, periods13). The page's
// two calendars take their rules from the start date and ignore them; iso fixes every weekly
// rule itself (weeks from Monday, week 1 holding 4 January).

#include <chrono>
#include <cstdint>

namespace annalex::calendar {

// Where a fiscal year ends within its year-end month.
enum class YearEndRule : std::uint8_t {
    Last,     // on the last week-end day of the month
    Nearest,  // on the week-end day nearest to the month's last day (at most 3 days either side)
};

// Which calendar year gives a fiscal year its name.
enum class YearName : std::uint8_t {
    Start,  // the year of the month after the previous year's year-end month
    End,    // the year of its own year-end month
};

// Weeks of the three months of each retail quarter.
enum class RetailPattern : std::uint8_t { P445, P454, P544 };

struct CalendarOptions {
    // Each week begins on this day and ends on the day before it.
    std::chrono::weekday weekStart = std::chrono::Sunday;
    // The month, 1 to 12, in which the fiscal year ends.
    std::int32_t yearEndMonth = 12;
    YearEndRule yearEndRule = YearEndRule::Last;
    YearName yearName = YearName::End;
    RetailPattern pattern = RetailPattern::P445;
    // The quarter, 1 to 4, that holds four of the thirteen periods.
    std::int32_t longQuarter = 4;

    friend bool operator==(const CalendarOptions&, const CalendarOptions&) = default;
};

}  // namespace annalex::calendar
