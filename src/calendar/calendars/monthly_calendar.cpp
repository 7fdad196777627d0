#include "calendar/calendars/monthly_calendar.hpp"

namespace annalex::calendar {
namespace {

// Dates can be formed up to this year; the week of a later day counts as 0, the value the
// step's week numbering has always given for a date it cannot form.
constexpr std::int32_t kLastFormableYear = 32767;

constexpr std::int32_t kMonthsPerQuarter = 3;

Period periodOf(PeriodKind kind, std::int32_t number, Date first, Date last) {
    return Period{kind, number, first, last};
}

}  // namespace

std::int32_t calendarWeek(Date day) {
    const Date newYear = civilDay(civilDate(day).year, 1, 1);
    const std::int32_t dayOfYear = (day - newYear).count() + 1;
    return (dayOfYear - 1 + weekdayOf(newYear) - 1) / 7 + 1;
}

Period MonthlyCalendar::year(std::int32_t number) const {
    return periodOf(PeriodKind::Year, number, civilDay(number, rules_.firstMonth, 1),
                    civilDay(number + 1, rules_.firstMonth, 1) - std::chrono::days(1));
}

std::int32_t MonthlyCalendar::yearNumberOf(const Period& period) const {
    if (period.kind == PeriodKind::Year) {
        return period.number;
    }
    const CivilDate first = civilDate(period.first);
    return first.month < rules_.firstMonth ? first.year - 1 : first.year;
}

Period MonthlyCalendar::month(std::int32_t number, std::int32_t position) const {
    const std::int32_t months = rules_.firstMonth - 1 + position;
    const std::int32_t year = number + months / 12;
    const std::int32_t calendarMonth = months % 12 + 1;
    const Date first = civilDay(year, calendarMonth, 1);
    return periodOf(PeriodKind::Month, position + 1, first,
                    first + std::chrono::days(daysInMonth(year, calendarMonth) - 1));
}

std::int32_t MonthlyCalendar::weekOfMonthStart(std::int32_t month) const {
    const std::int32_t year = rules_.patternYear + (month - 1) / 12;
    if (year > kLastFormableYear) {
        return 0;
    }
    return shiftedWeek(calendarWeek(civilDay(year, (month - 1) % 12 + 1, 1)), rules_.weekShift);
}

bool MonthlyCalendar::movesYearSuffix(const Period& month) const {
    return month.kind == PeriodKind::Month && month.number > 1 && civilDate(month.first).month == 1;
}

void MonthlyCalendar::weeks(const Period& parent, std::vector<Period>& out) const {
    std::int32_t first = 1;
    std::int32_t last = kLastWeek;
    if (parent.kind == PeriodKind::Quarter || parent.kind == PeriodKind::Month) {
        std::int32_t next = 0;
        if (parent.kind == PeriodKind::Quarter) {
            // Quarters count their months from the first month, on into the next year.
            const std::int32_t month = rules_.firstMonth + (parent.number - 1) * kMonthsPerQuarter;
            first = weekOfMonthStart(month);
            next = weekOfMonthStart(month + kMonthsPerQuarter);
        } else {
            // Months take their weeks from the same calendar month of the pattern year.
            const std::int32_t month = civilDate(parent.first).month;
            first = weekOfMonthStart(month);
            next = weekOfMonthStart(month == 12 ? 1 : month + 1);
        }
        last = next - 1;
        if (last < first) {
            last = kLastWeek;
        }
    }
    const Date weekOne =
        sundayOnOrBefore(civilDay(yearNumberOf(parent), rules_.firstMonth, rules_.weekOneDay));
    for (std::int32_t week = first; week <= last; ++week) {
        const Date start = weekOne + std::chrono::days(7 * (week - 1));
        out.push_back(periodOf(PeriodKind::Week, week, start, start + std::chrono::days(6)));
    }
}

void MonthlyCalendar::days(const Period& parent, std::vector<Period>& out) const {
    Date first = parent.first;
    std::int32_t count = (parent.last - parent.first).count() + 1;
    if (parent.kind == PeriodKind::Year) {
        first = civilDay(parent.number, 1, 1);
        count = daysInYear(parent.number);
    } else if (parent.kind == PeriodKind::Month) {
        count = daysInMonth(yearNumberOf(parent), civilDate(parent.first).month);
    }
    for (std::int32_t day = 1; day <= count; ++day) {
        const Date date = first + std::chrono::days(day - 1);
        out.push_back(periodOf(PeriodKind::Day, day, date, date));
    }
}

void MonthlyCalendar::split(const Period& parent, PeriodKind child,
                            std::vector<Period>& out) const {
    out.clear();
    switch (child) {
        case PeriodKind::Year:
            break;
        case PeriodKind::Quarter:
            if (parent.kind == PeriodKind::Year) {
                for (std::int32_t quarter = 1; quarter <= 4; ++quarter) {
                    const std::int32_t position = (quarter - 1) * kMonthsPerQuarter;
                    out.push_back(
                        periodOf(PeriodKind::Quarter, quarter, month(parent.number, position).first,
                                 month(parent.number, position + kMonthsPerQuarter - 1).last));
                }
            }
            break;
        case PeriodKind::Month:
            if (parent.kind == PeriodKind::Year) {
                for (std::int32_t position = 0; position < 12; ++position) {
                    out.push_back(month(parent.number, position));
                }
            } else if (parent.kind == PeriodKind::Quarter) {
                const std::int32_t position = (parent.number - 1) * kMonthsPerQuarter;
                for (std::int32_t i = 0; i < kMonthsPerQuarter; ++i) {
                    out.push_back(month(yearNumberOf(parent), position + i));
                }
            }
            break;
        case PeriodKind::Week:
            if (parent.kind != PeriodKind::Week && parent.kind != PeriodKind::Day) {
                weeks(parent, out);
            }
            break;
        case PeriodKind::Day:
            if (parent.kind != PeriodKind::Day) {
                days(parent, out);
            }
            break;
    }
}

}  // namespace annalex::calendar
