// ISO 8601 week-years: weeks begin on Monday, week 1 is the week that holds 4 January, and a
// year is its 52 or 53 weeks, named by its week-year. No quarters or months.

#include <memory>

#include "calendar/calendars/weekly_calendar.hpp"

namespace annalex::calendar {
namespace {

// The day of January that week 1 always holds.
constexpr std::int32_t kWeekOneHolds = 4;

class IsoCalendar final : public WeeklyCalendar {
  public:
    IsoCalendar() : WeeklyCalendar(WeeklyLayout{}) {}

  protected:
    // The Sunday before the Monday that begins week 1 of the next year.
    Date lastDay(std::int32_t number) const override {
        const Date holder = civilDay(number + 1, 1, kWeekOneHolds);
        const std::int32_t sinceMonday =
            static_cast<std::int32_t>(std::chrono::weekday(holder).iso_encoding()) - 1;
        return holder - std::chrono::days(sinceMonday + 1);
    }
};

}  // namespace

std::unique_ptr<Calendar> makeIsoCalendar(std::chrono::year_month_day /*start*/,
                                          const CalendarOptions& /*options*/) {
    return std::make_unique<IsoCalendar>();
}

}  // namespace annalex::calendar
