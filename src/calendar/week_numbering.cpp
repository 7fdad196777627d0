// The step's week-numbering procedures, over the week rules of the page's calendars
// (calendars/monthly_calendar.hpp): weeks begin on Sunday and week 1 holds 1 January.

#include <chrono>

#include "calendar/calendar_builder.hpp"
#include "calendar/calendars/monthly_calendar.hpp"
#include "common/checked_int.hpp"

namespace annalex::calendar {
namespace {

using errors::kControlModule;
using errors::ProcedureLabels;
namespace chr = std::chrono;

// Dates can be formed for the years 1 to 32767.
constexpr std::int32_t kFirstYear = 1;
constexpr std::int32_t kLastYear = 32767;

void requireYearInRange(std::int64_t year) {
    if (year < kFirstYear || year > kLastYear) {
        raise(ErrorNumber::InvalidProcedureCall);
    }
}

// The date of year, month and day with the usual carry: a month above 12 continues into the
// following years (month 13 of 2001 is January 2002), one below 1 into the previous ones, and
// a day beyond the month's end into the next month.
chr::sys_days formDate(std::int32_t year, std::int32_t month, std::int32_t day) {
    const std::int64_t months = std::int64_t{year} * 12 + (month - 1);
    const std::int64_t carriedYear = months >= 0 ? months / 12 : (months - 11) / 12;
    const auto carriedMonth = static_cast<unsigned>(months - carriedYear * 12 + 1);
    requireYearInRange(carriedYear);
    const chr::sys_days first =
        chr::year(static_cast<int>(carriedYear)) / chr::month(carriedMonth) / 1;
    const chr::sys_days date = first + chr::days(day - 1);
    requireYearInRange(static_cast<int>(chr::year_month_day(date).year()));
    return date;
}

}  // namespace

std::int16_t CalendarBuilder::calculateWeekShift() {
    static constexpr ProcedureLabels kLabels{kControlModule,
                                             "Private Function calculateWeekShift() As Integer"};
    std::int16_t result = 0;
    trap_.run(kLabels, [&] {
        // A fiscal year's week 1 is the calendar week of its start date.
        if (state_.gregorian) {
            result = 1;
        } else {
            const DateParts& start = state_.startDate;
            result = narrowChecked<std::int16_t>(
                calendarWeek(formDate(start.year, start.month, start.day)));
        }
    });
    return result;
}

std::int16_t CalendarBuilder::weekNumber(std::int16_t aYear, std::int16_t aMonth, std::int16_t aDay,
                                         std::int16_t shift) {
    static constexpr ProcedureLabels kLabels{
        kControlModule,
        "Private Function weekNumber(aYear As Integer, aMonth As Integer, aDay As Integer, "
        "shift As Integer) As Integer"};
    std::int16_t result = 0;
    trap_.run(kLabels, [&] {
        result = narrowChecked<std::int16_t>(
            shiftedWeek(calendarWeek(formDate(aYear, aMonth, aDay)), shift));
    });
    return result;
}

std::int16_t CalendarBuilder::weekdayNumber(std::int32_t aYear) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function weekdayNumber(aYear As Long) As Integer"};
    std::int16_t result = 0;
    trap_.run(kLabels, [&] {
        const auto year = narrowChecked<std::int16_t>(aYear);
        result = weekdayOf(formDate(year, 1, 1));
    });
    return result;
}

}  // namespace annalex::calendar
