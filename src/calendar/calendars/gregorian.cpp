// The Gregorian calendar: years from 1 January, quarters and months as the calendar has them,
// and week 1 the Sunday week that holds 1 January.

#include <memory>

#include "calendar/calendars/monthly_calendar.hpp"

namespace annalex::calendar {
namespace {

constexpr std::int32_t kJanuary = 1;

}  // namespace

std::unique_ptr<Calendar> makeGregorianCalendar(std::chrono::year_month_day start,
                                                const CalendarOptions& /*options*/) {
    MonthlyRules rules;
    rules.firstMonth = kJanuary;
    rules.weekOneDay = 1;
    rules.patternYear = static_cast<int>(start.year());
    rules.weekShift = 1;  // week 1 is the calendar's own first week
    return std::make_unique<MonthlyCalendar>(rules);
}

}  // namespace annalex::calendar
