// Thirteen periods: fiscal years of 52 or 53 weeks on the retail year ends, split into
// thirteen periods of four weeks (the 53rd week goes to period 13); quarters hold three
// periods each, except the long quarter, which holds four.

#include <memory>

#include "calendar/calendars/weekly_calendar.hpp"

namespace annalex::calendar {
namespace {

constexpr std::int32_t kPeriods = 13;
constexpr std::int32_t kWeeksPerPeriod = 4;
constexpr std::int32_t kQuarters = 4;

WeeklyLayout periodsLayout(std::int32_t longQuarter) {
    WeeklyLayout layout;
    layout.monthWeeks.assign(kPeriods, kWeeksPerPeriod);
    for (std::int32_t q = 1; q <= kQuarters; ++q) {
        layout.quarterMonths.push_back(q == longQuarter ? 4 : 3);
    }
    return layout;
}

class Periods13Calendar final : public WeeklyCalendar {
  public:
    explicit Periods13Calendar(const CalendarOptions& options)
        : WeeklyCalendar(periodsLayout(options.longQuarter)), options_(options) {}

    MonthNaming monthNaming() const override { return MonthNaming::Numbered; }

  protected:
    Date lastDay(std::int32_t number) const override {
        return fiscalYearEnd(yearEndCalendarYear(number, options_), options_);
    }

  private:
    CalendarOptions options_;
};

}  // namespace

std::unique_ptr<Calendar> makePeriods13Calendar(std::chrono::year_month_day /*start*/,
                                                const CalendarOptions& options) {
    return std::make_unique<Periods13Calendar>(options);
}

}  // namespace annalex::calendar
