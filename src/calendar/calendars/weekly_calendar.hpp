#pragma once
// The calendar of whole weeks shared by iso, retail and periods13: a year is 52 or 53 weeks
// from the day after the previous year's last day; months (or periods) are runs of whole
// weeks, quarters runs of whole months. Each calendar gives its year ends and its layout.

#include <cstdint>
#include <utility>
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

// The layout of a year of quarters, each given by the weeks of its months in order.
WeeklyLayout quarteredLayout(const std::vector<std::vector<std::int32_t>>& quarterMonthWeeks);

class WeeklyCalendar : public Calendar {
  public:
    explicit WeeklyCalendar(WeeklyLayout layout) : layout_(std::move(layout)) {}

    // Raises the invalid procedure call failure for a year numbered beyond 32767 or ending
    // beyond that year's end (its dates cannot be formed).
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

// A weekly calendar on fiscal years of 52 or 53 weeks, each ending on the week-end day (the day
// before the week start) that is the last of its year-end month or the one nearest that month's
// last day, as options say. Retail and periods13 differ only in their layout and in how their
// months are named.
class FiscalWeeklyCalendar final : public WeeklyCalendar {
  public:
    FiscalWeeklyCalendar(const CalendarOptions& options, WeeklyLayout layout, MonthNaming naming)
        : WeeklyCalendar(std::move(layout)), options_(options), naming_(naming) {}

    MonthNaming monthNaming() const override { return naming_; }

  protected:
    Date lastDay(std::int32_t number) const override;

  private:
    CalendarOptions options_;
    MonthNaming naming_;
};

}  // namespace annalex::calendar
