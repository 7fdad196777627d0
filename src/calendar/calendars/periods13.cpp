// Thirteen periods: fiscal years of 52 or 53 weeks on the retail year ends, split into
// thirteen periods of four weeks (the 53rd week goes to period 13); quarters hold three
// periods each, except the long quarter, which holds four.

#include <memory>

#include "calendar/calendars/weekly_calendar.hpp"

namespace annalex::calendar {
namespace {

constexpr std::int32_t kWeeksPerPeriod = 4;
constexpr std::int32_t kQuarters = 4;

}  // namespace

std::unique_ptr<Calendar> makePeriods13Calendar(std::chrono::year_month_day /*start*/,
                                                const CalendarOptions& options) {
    std::vector<std::vector<std::int32_t>> quarters;
    for (std::int32_t q = 1; q <= kQuarters; ++q) {
        quarters.emplace_back(q == options.longQuarter ? 4 : 3, kWeeksPerPeriod);
    }
    // Periods match no calendar month, so they are named by their number.
    return std::make_unique<FiscalWeeklyCalendar>(options, quarteredLayout(quarters),
                                                  Calendar::MonthNaming::Numbered);
}

}  // namespace annalex::calendar
