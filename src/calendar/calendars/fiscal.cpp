// The fiscal calendar: each year begins with the month of the start date (a start in April
// makes the year April to March, numbered by the year it begins in), quarters are three months
// from there, and week 1 is the Sunday week that holds the start date.

#include <memory>

#include "calendar/calendars/monthly_calendar.hpp"

namespace annalex::calendar {
namespace {

// The calendar week in which the fiscal year begins: the week of the start date, its day
// counted on from the month's first (a day of 0 is the last day of the month before).
std::int32_t fiscalWeekShift(std::chrono::year_month_day start) {
    return calendarWeek(civilDay(static_cast<int>(start.year()),
                                 static_cast<std::int32_t>(static_cast<unsigned>(start.month())),
                                 static_cast<std::int32_t>(static_cast<unsigned>(start.day()))));
}

}  // namespace

std::unique_ptr<Calendar> makeFiscalCalendar(std::chrono::year_month_day start,
                                             const CalendarOptions& /*options*/) {
    MonthlyRules rules;
    rules.firstMonth = static_cast<std::int32_t>(static_cast<unsigned>(start.month()));
    rules.weekOneDay = static_cast<std::int32_t>(static_cast<unsigned>(start.day()));
    rules.patternYear = static_cast<int>(start.year());
    rules.weekShift = fiscalWeekShift(start);
    return std::make_unique<MonthlyCalendar>(rules);
}

}  // namespace annalex::calendar
