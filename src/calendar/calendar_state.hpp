#pragma once
// The variables the calendar step shares between its handlers, its date checks and its member
// builders, with their start values. Who writes what:
//   theCube, theTimeDimension        the control's property setters
//   levelMask, startDateText,
//   endDateText                       OK
//   gregorian                         the calendar-type buttons
//   extendedCalendar, calendarOptions the host, through the control's chooseCalendar
//   holidays, weekend                 the host, through the control's setHolidays and setWeekend
//   dateSeparator                     start-up only
//   startDate, endDate                the date check, when a date passes
//   currentYear                       the date check (start year), the year builder (each year)
//   yearList, quarterList, monthList,
//   yearCount                         the period-name list builders
//   yearSuffix                        the year builder, the month builder (fiscal turn of year)
//   dayParentName                     the day builder
//   monthNameTable, monthDayTable,
//   dayNameTable, nameTable           start-up, and again when the host chooses a language;
//                                     the day builder sets February's length
//   names                             the host, through the control's setLanguage

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "calendar/calendar_names.hpp"
#include "calendar/calendar_options.hpp"
#include "calendar/holidays/holiday_rules.hpp"
#include "cube/cube_model.hpp"

namespace annalex::calendar {

namespace holidays {
class HolidayCalendar;
}

// A date as the page stores what was typed: day, month (1 to 12) and year with its century,
// each 16-bit. Everything past the page works on std::chrono dates (toYearMonthDay).
struct DateParts {
    std::int16_t day = 0;
    std::int16_t month = 0;
    std::int16_t year = 0;

    friend bool operator==(const DateParts&, const DateParts&) = default;
};

// The stored date as a calendar date. The page accepts a day of 0, which is not a valid
// year_month_day but converts to sys_days as the last day of the month before.
inline std::chrono::year_month_day toYearMonthDay(const DateParts& date) {
    return std::chrono::year(date.year) / std::chrono::month(static_cast<unsigned>(date.month)) /
           std::chrono::day(static_cast<unsigned>(date.day));
}

// Bits of levelMask, from the largest period to the smallest.
enum LevelBit : std::int16_t {
    kYearBit = 1,
    kQuarterBit = 2,
    kMonthBit = 4,
    kWeekBit = 8,
    kDayBit = 16,
};

struct CalendarState {
    cube::CubeRef theCube;
    cube::DimensionRef theTimeDimension;
    std::int16_t levelMask = 0;
    // The page's calendar type: true for the calendar list's first entry (Gregorian), false
    // for its second (Fiscal).
    bool gregorian = true;
    // A calendar a host chose beyond the page's two (calendar list key), and the options of
    // the week-based calendars; empty while the page's calendar-type buttons decide.
    std::string extendedCalendar;
    CalendarOptions calendarOptions;
    // Whether the members get every attribute of their level filled from their dates (without
    // it the page's calendars keep their long-standing attribute values).
    bool fillAttributes = false;
    // For filled attributes: the holidays that DayHoliday names and working-day counts leave
    // out (none: no holidays), and the weekdays DayWeekend marks and working-day counts leave
    // out. The host sets both.
    std::shared_ptr<holidays::HolidayCalendar> holidays;
    holidays::WeekdaySet weekend = holidays::WeekdaySet::saturdaySunday();
    // When recordDates is set, the first and last day of each member, keyed by level name, a
    // tab and member name. Names are unique within a level except where the page's calendars
    // put one week below two quarters of a year; both members then stand for the same week.
    bool recordDates = false;
    std::unordered_map<std::string, std::pair<std::chrono::sys_days, std::chrono::sys_days>>
        memberDates;
    // The same days in the order the members were placed, which is the hierarchy's pre-order,
    // each with a hash of its member's name (std::hash) that a reader walking the hierarchy
    // checks before it takes them: a walk of thousands of years reads these in sequence.
    struct PlacedDays {
        std::int32_t first;  // days since 1970-01-01
        std::int32_t last;
        std::size_t nameHash;
    };
    std::vector<PlacedDays> placedDays;
    std::string dateSeparator;
    std::string startDateText = "01-01-01";
    std::string endDateText = "31-12-01";
    DateParts startDate;
    DateParts endDate;
    std::int32_t currentYear = 0;
    // Period names indexed from 0, each list ended by one empty string.
    std::vector<std::string> yearList;
    std::vector<std::string> quarterList;
    std::vector<std::string> monthList;
    std::int16_t yearCount = 0;
    std::string yearSuffix;
    std::string dayParentName;
    std::array<std::string, 12> monthNameTable;
    std::array<std::int16_t, 12> monthDayTable{};
    std::array<std::string, 8> dayNameTable;  // index 0 stays empty; 1 is Sunday
    // Where the month and weekday names come from (the built-in English names until a host
    // chooses a language), and every form of them that the builders write; monthNameTable and
    // dayNameTable hold the wide stand-alone forms.
    std::shared_ptr<const CalendarNames> names = builtinNames();
    NameTable nameTable;

    bool chosen(LevelBit bit) const { return (levelMask & bit) != 0; }
};

// The member-name formats: the selected entry (from 0) of the day and month format lists,
// read when the builders run; -1 when nothing is selected.
class FormatSelection {
  public:
    virtual ~FormatSelection() = default;
    virtual std::int16_t dayFormat() const = 0;
    virtual std::int16_t monthFormat() const = 0;
};

}  // namespace annalex::calendar
