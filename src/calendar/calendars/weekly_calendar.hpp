#pragma once
// The calendar of whole weeks shared by iso, retail and periods13: a year is 52 or 53 weeks
// from the day after the previous year's last day; months (or periods) are runs of whole
// weeks, quarters runs of whole months. Each calendar gives its year ends and its layout.

#include <cstdint>
#include <vector>

#include "calendar/calendar.hpp"

namespace annalex::calendar {

inline constexpr std::int32_t kDaysPerWeek = 7;

// The weeks of each month of a 52-week year and the months of each quarter; the 53rd week of a
// long year goes to the last month. Both empty for a calendar of years and weeks only.
struct WeeklyLayout {
    std::vector<std::int32_t> monthWeeks;
    std::vector<std::int32_t> quarterMonths;
};

// The last day of the fiscal year whose year-end month lies in calendarYear: the week-end day
// (the day before the week start) that is the month's last, or the one nearest its last day.
Date fiscalYearEnd(std::int32_t calendarYear, const CalendarOptions& options);

// The calendar year of the year-end month of the fiscal year of that name.
std::int32_t yearEndCalendarYear(std::int32_t name, const CalendarOptions& options);

class WeeklyCalendar : public Calendar {
  public:
    explicit WeeklyCalendar(WeeklyLayout layout) : layout_(std::move(layout)) {}

    Period year(std::int32_t number) const override;
    void split(const Period& parent, PeriodKind child, std::vector<Period>& out) const override;

  protected:
    // The last day of the year of that number.
    virtual Date lastDay(std::int32_t number) const = 0;

  private:
    // The quarters (kind Quarter) or months (kind Month) of a year, in order.
    void yearParts(const Period& year, PeriodKind kind, std::vector<Period>& out) const;
    // The year that holds day.
    Period yearOf(Date day) const;

    WeeklyLayout layout_;
};

}  // namespace annalex::calendar
