#pragma once
// A period of a calendar: what it is (a year, a quarter, ...), its number and its first and
// last day. Member builders name periods and hand them down; they never read dates back out
// of member names.

#include <cstdint>

#include "calendar/dates.hpp"

namespace annalex::calendar {

// From the largest period to the smallest, as the levels are ordered.
enum class PeriodKind : std::uint8_t { Year, Quarter, Month, Week, Day };

struct Period {
    PeriodKind kind = PeriodKind::Year;
    // A year's own number (2001); a quarter's, month's or week's number within its year
    // (1-based, also when it was split from a quarter or a month); a day's number within the
    // period it was split from.
    std::int32_t number = 0;
    Date first;
    Date last;

    friend bool operator==(const Period&, const Period&) = default;
};

}  // namespace annalex::calendar
