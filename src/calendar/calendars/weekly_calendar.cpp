#include "calendar/calendars/weekly_calendar.hpp"

#include "common/failure.hpp"

namespace annalex::calendar {
namespace {

// The most days a "nearest" year end lies from its month's last day.
constexpr std::int32_t kNearestReach = 3;

// Dates are formed up to the end of this year: a year of whole weeks numbered beyond it, or
// ending beyond it, cannot be formed.
constexpr std::int32_t kLastFormableYear = 32767;

std::int32_t weekdayIndex(Date day) {
    return static_cast<std::int32_t>(std::chrono::weekday(day).c_encoding());
}

std::int32_t weeksIn(const Period& period) {
    return static_cast<std::int32_t>((period.last - period.first).count() + 1) / kDaysPerWeek;
}

// The last day of the fiscal year whose year-end month lies in calendarYear.
Date fiscalYearEnd(std::int32_t calendarYear, const CalendarOptions& options) {
    const std::int32_t month = options.yearEndMonth;
    const Date monthEnd = civilDay(calendarYear, month, daysInMonth(calendarYear, month));
    const std::int32_t endDay =
        static_cast<std::int32_t>((options.weekStart - std::chrono::days(1)).c_encoding());
    const std::int32_t back = (weekdayIndex(monthEnd) - endDay + kDaysPerWeek) % kDaysPerWeek;
    if (options.yearEndRule == YearEndRule::Nearest && kDaysPerWeek - back <= kNearestReach) {
        return monthEnd + std::chrono::days(kDaysPerWeek - back);
    }
    return monthEnd - std::chrono::days(back);
}

// The calendar year of the year-end month of the fiscal year of that name.
std::int32_t yearEndCalendarYear(std::int32_t name, const CalendarOptions& options) {
    // Named by its start, a year's first nominal month is the month after the year-end month;
    // that lies in the year before the year-end month unless the year ends in December.
    if (options.yearName == YearName::Start && options.yearEndMonth != 12) {
        return name + 1;
    }
    return name;
}

}  // namespace

WeeklyLayout quarteredLayout(const std::vector<std::vector<std::int32_t>>& quarterMonthWeeks) {
    WeeklyLayout layout;
    for (const std::vector<std::int32_t>& months : quarterMonthWeeks) {
        layout.monthWeeks.insert(layout.monthWeeks.end(), months.begin(), months.end());
        layout.quarterMonths.push_back(static_cast<std::int32_t>(months.size()));
    }
    return layout;
}

Date FiscalWeeklyCalendar::lastDay(std::int32_t number) const {
    return fiscalYearEnd(yearEndCalendarYear(number, options_), options_);
}

Period WeeklyCalendar::year(std::int32_t number) const {
    const Date last = lastDay(number);
    if (number > kLastFormableYear || civilDate(last).year > kLastFormableYear) {
        raise(ErrorNumber::InvalidProcedureCall);
    }
    return Period{PeriodKind::Year, number, lastDay(number - 1) + std::chrono::days(1), last};
}

Period WeeklyCalendar::yearOf(Date day) const {
    return year(yearNumberHolding(*this, day));
}

void WeeklyCalendar::yearParts(const Period& year, PeriodKind kind,
                               std::vector<Period>& out) const {
    const bool longYear = weeksIn(year) > 52;
    const std::size_t months = layout_.monthWeeks.size();
    Date start = year.first;
    if (kind == PeriodKind::Month) {
        for (std::size_t m = 0; m < months; ++m) {
            const std::int32_t weeks =
                layout_.monthWeeks[m] + (longYear && m + 1 == months ? 1 : 0);
            const Date end = start + std::chrono::days(weeks * kDaysPerWeek - 1);
            out.push_back(Period{PeriodKind::Month, static_cast<std::int32_t>(m) + 1, start, end});
            start = end + std::chrono::days(1);
        }
        return;
    }
    std::size_t month = 0;
    for (std::size_t q = 0; q < layout_.quarterMonths.size(); ++q) {
        std::int32_t weeks = 0;
        for (std::int32_t i = 0; i < layout_.quarterMonths[q]; ++i, ++month) {
            weeks += layout_.monthWeeks[month] + (longYear && month + 1 == months ? 1 : 0);
        }
        const Date end = start + std::chrono::days(weeks * kDaysPerWeek - 1);
        out.push_back(Period{PeriodKind::Quarter, static_cast<std::int32_t>(q) + 1, start, end});
        start = end + std::chrono::days(1);
    }
}

void WeeklyCalendar::split(const Period& parent, PeriodKind child, std::vector<Period>& out) const {
    out.clear();
    if (child <= parent.kind) {
        return;
    }
    switch (child) {
        case PeriodKind::Year:
            break;
        case PeriodKind::Quarter:
        case PeriodKind::Month: {
            const Period year = parent.kind == PeriodKind::Year ? parent : yearOf(parent.first);
            yearParts(year, child, out);
            if (parent.kind != PeriodKind::Year) {
                std::erase_if(out, [&](const Period& part) {
                    return part.first < parent.first || part.last > parent.last;
                });
            }
            break;
        }
        case PeriodKind::Week: {
            const Period year = parent.kind == PeriodKind::Year ? parent : yearOf(parent.first);
            const std::int32_t firstWeek =
                static_cast<std::int32_t>((parent.first - year.first).count()) / kDaysPerWeek + 1;
            const std::int32_t count = weeksIn(parent);
            for (std::int32_t w = 0; w < count; ++w) {
                const Date start = parent.first + std::chrono::days(w * kDaysPerWeek);
                out.push_back(Period{PeriodKind::Week, firstWeek + w, start,
                                     start + std::chrono::days(kDaysPerWeek - 1)});
            }
            break;
        }
        case PeriodKind::Day: {
            const std::int32_t count =
                static_cast<std::int32_t>((parent.last - parent.first).count()) + 1;
            for (std::int32_t d = 0; d < count; ++d) {
                const Date day = parent.first + std::chrono::days(d);
                out.push_back(Period{PeriodKind::Day, d + 1, day, day});
            }
            break;
        }
    }
}

}  // namespace annalex::calendar
