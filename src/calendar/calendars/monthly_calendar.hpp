#pragma once
// The calendar of the page's two calendar types: twelve months from a first month, quarters of
// three months, and weeks that begin on Sunday, numbered the way the step has always numbered
// them. Gregorian and fiscal are this calendar with their own first month and week 1.
//
// The week rules carry the step's long-standing quirks, kept because the generated members
// must not change:
//  * Every year's weeks are numbered and shared out among its months and quarters exactly as
//    in the pattern year (the start date's year), whatever the years' own weekdays.
//  * A week belongs to the month or quarter in which the week that holds the next period's
//    first day begins, counted in the pattern year; a period whose next one starts again at a
//    low week (over the turn of the year) runs to the last week.
//  * A year has kLastWeek weeks; a 53rd or 54th week is never made.
//  * The days of a month count the days of that month in the year of the period's number
//    (a fiscal year's February follows its own number, not the calendar year it lies in), and
//    the days hung directly below a year are those of the calendar year of its number.

#include <cstdint>
#include <vector>

#include "calendar/calendar.hpp"

namespace annalex::calendar {

// Weeks above this number are never made.
inline constexpr std::int32_t kLastWeek = 52;

struct MonthlyRules {
    std::int32_t firstMonth = 1;   // the month each year begins with, 1 to 12
    std::int32_t weekOneDay = 1;   // the day of firstMonth whose week is week 1
    std::int32_t patternYear = 0;  // the year whose weeks every year copies
    std::int32_t weekShift = 1;    // the calendar week of the pattern year numbered week 1
};

// The calendar week of a day: weeks begin on Sunday and week 1 holds 1 January, so the last
// days of a year lie in week 53, or 54 for 31 December of a leap year that begins on Saturday.
std::int32_t calendarWeek(Date day);

// A calendar week counted from week 1 at calendar week shift; weeks before it are counted on
// from the end of the previous year, taken as kLastWeek weeks long.
constexpr std::int32_t shiftedWeek(std::int32_t week, std::int32_t shift) {
    return week >= shift ? week - (shift - 1) : kLastWeek - (shift - 1) + week;
}

class MonthlyCalendar final : public Calendar {
  public:
    explicit MonthlyCalendar(const MonthlyRules& rules) : rules_(rules) {}

    Period year(std::int32_t number) const override;
    void split(const Period& parent, PeriodKind child, std::vector<Period>& out) const override;
    // A January after the first month of its year lies in the next calendar year: from there
    // on the year's names carry that year.
    bool movesYearSuffix(const Period& month) const override;

  private:
    // The number of the year a quarter, month or week of it belongs to.
    std::int32_t yearNumberOf(const Period& period) const;
    // The month at position 0 to 11 of year number.
    Period month(std::int32_t number, std::int32_t position) const;
    // The week numbered like the pattern year's week that holds the first day of month (which
    // counts on into the next years above 12); 0 beyond the last year a date can be formed in.
    std::int32_t weekOfMonthStart(std::int32_t month) const;
    void weeks(const Period& parent, std::vector<Period>& out) const;
    void days(const Period& parent, std::vector<Period>& out) const;

    MonthlyRules rules_;
};

}  // namespace annalex::calendar
