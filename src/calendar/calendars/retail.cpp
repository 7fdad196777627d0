// The retail calendar: fiscal years of 52 or 53 weeks that end on a week-end day in or near
// the year-end month, four quarters of thirteen weeks, and each quarter's three months of
// 4-4-5, 4-5-4 or 5-4-4 weeks; the 53rd week of a long year goes to the year's last month.

#include <memory>

#include "calendar/calendars/weekly_calendar.hpp"

namespace annalex::calendar {
namespace {

constexpr std::int32_t kQuarters = 4;
constexpr std::int32_t kMonthsPerQuarter = 3;

std::vector<std::int32_t> quarterWeeks(RetailPattern pattern) {
    switch (pattern) {
        case RetailPattern::P454:
            return {4, 5, 4};
        case RetailPattern::P544:
            return {5, 4, 4};
        case RetailPattern::P445:
            break;
    }
    return {4, 4, 5};
}

WeeklyLayout retailLayout(RetailPattern pattern) {
    WeeklyLayout layout;
    const std::vector<std::int32_t> weeks = quarterWeeks(pattern);
    for (std::int32_t q = 0; q < kQuarters; ++q) {
        layout.monthWeeks.insert(layout.monthWeeks.end(), weeks.begin(), weeks.end());
        layout.quarterMonths.push_back(kMonthsPerQuarter);
    }
    return layout;
}

class RetailCalendar final : public WeeklyCalendar {
  public:
    explicit RetailCalendar(const CalendarOptions& options)
        : WeeklyCalendar(retailLayout(options.pattern)), options_(options) {}

  protected:
    Date lastDay(std::int32_t number) const override {
        return fiscalYearEnd(yearEndCalendarYear(number, options_), options_);
    }

  private:
    CalendarOptions options_;
};

}  // namespace

std::unique_ptr<Calendar> makeRetailCalendar(std::chrono::year_month_day /*start*/,
                                             const CalendarOptions& options) {
    return std::make_unique<RetailCalendar>(options);
}

}  // namespace annalex::calendar
