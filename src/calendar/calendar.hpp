#pragma once
// The seam between the member builders and the calendars.
//
// A calendar knows its years and how each period splits into the periods of a smaller kind;
// the builders only name and place what it answers. A calendar is made for one generation from
// the start date the page stored, which fixes its rules (the fiscal year's first month, the
// year whose weeks every year copies). Every calendar is one file under calendar/calendars and
// one entry of calendarList() (calendar_list.hpp).

#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "calendar/calendar_options.hpp"
#include "calendar/period.hpp"

namespace annalex::calendar {

class Calendar {
  public:
    virtual ~Calendar() = default;

    // The year of that number.
    virtual Period year(std::int32_t number) const = 0;

    // Replaces out with the periods of kind child that make up parent, in order: a year's
    // quarters, months, weeks or days, a quarter's months, weeks or days, and so on. A kind the
    // calendar does not split parent into gives no periods.
    virtual void split(const Period& parent, PeriodKind child, std::vector<Period>& out) const = 0;

    // The calendar month (1 to 12) whose name a month period carries: by default the month its
    // first day lies in.
    virtual std::int32_t namedMonth(const Period& month) const {
        return civilDate(month.first).month;
    }

    // Whether from this month on the names below its year carry the next year in their year
    // suffix (a year that runs on into the next calendar year); by default never.
    virtual bool movesYearSuffix(const Period& /*month*/) const { return false; }

    // How its month periods are named: after the calendar month that holds most of their days,
    // or by their number (thirteen four-week periods match no calendar month).
    enum class MonthNaming : std::uint8_t { CalendarMonth, Numbered };
    virtual MonthNaming monthNaming() const { return MonthNaming::CalendarMonth; }
};

// The number of the year of calendar that holds day (a year near the day's calendar year).
std::int32_t yearNumberHolding(const Calendar& calendar, Date day);

// One registered calendar: its command-line name, its caption on the page, its maker and the
// levels it has. The maker gets the start date the page stored and the host's options; each
// calendar reads what fixes its rules and ignores the rest.
struct CalendarEntry {
    std::string_view key;
    std::string_view caption;
    std::unique_ptr<Calendar> (*make)(std::chrono::year_month_day start,
                                      const CalendarOptions& options);
    // The levels the calendar splits its years into, as levelMask bits (1 Year, 2 Quarter,
    // 4 Month, 8 Week, 16 Day); a level outside them would stay empty.
    std::int16_t levels = 31;
};

}  // namespace annalex::calendar
