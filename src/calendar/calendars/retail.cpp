// The retail calendar: fiscal years of 52 or 53 weeks that end on a week-end day in or near
// the year-end month, four quarters of thirteen weeks, and each quarter's three months of
// 4-4-5, 4-5-4 or 5-4-4 weeks; the 53rd week of a long year goes to the year's last month.

#include <memory>

#include "calendar/calendars/weekly_calendar.hpp"

namespace annalex::calendar {
namespace {

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

}  // namespace

std::unique_ptr<Calendar> makeRetailCalendar(std::chrono::year_month_day /*start*/,
                                             const CalendarOptions& options) {
    const std::vector<std::int32_t> quarter = quarterWeeks(options.pattern);
    return std::make_unique<FiscalWeeklyCalendar>(
        options, quarteredLayout({quarter, quarter, quarter, quarter}),
        Calendar::MonthNaming::CalendarMonth);
}

}  // namespace annalex::calendar
