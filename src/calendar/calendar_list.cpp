// The one list of calendars. Each calendar lives in its own file under calendars/ and is
// registered here with its maker's declaration and its entry.

#include "calendar/calendar_list.hpp"

#include <array>

#include "calendar/calendar_state.hpp"

namespace annalex::calendar {

using Maker = std::unique_ptr<Calendar>(std::chrono::year_month_day start,
                                        const CalendarOptions& options);
Maker makeGregorianCalendar;
Maker makeFiscalCalendar;
Maker makeIsoCalendar;
Maker makeRetailCalendar;
Maker makePeriods13Calendar;

namespace {

constexpr std::array kCalendars = {
    CalendarEntry{"gregorian", "Gregorian", &makeGregorianCalendar},
    CalendarEntry{"fiscal", "Fiscal", &makeFiscalCalendar},
    CalendarEntry{"iso", "ISO 8601 weeks", &makeIsoCalendar, kYearBit | kWeekBit | kDayBit},
    CalendarEntry{"retail", "Retail weeks", &makeRetailCalendar},
    CalendarEntry{"periods13", "13 periods", &makePeriods13Calendar},
};

}  // namespace

std::span<const CalendarEntry> calendarList() {
    return kCalendars;
}

std::int32_t yearNumberHolding(const Calendar& calendar, Date day) {
    // Every calendar's year numbered n lies within a year of 1 January n.
    const std::int32_t near = civilDate(day).year;
    for (std::int32_t number = near - 1; number <= near + 1; ++number) {
        const Period year = calendar.year(number);
        if (year.first <= day && day <= year.last) {
            return number;
        }
    }
    return near;
}

const CalendarEntry* findCalendar(std::string_view key) {
    for (const CalendarEntry& entry : kCalendars) {
        if (entry.key == key) {
            return &entry;
        }
    }
    return nullptr;
}

const CalendarEntry& chosenCalendar(std::string_view extendedKey, bool firstPageButton) {
    if (!extendedKey.empty()) {
        if (const CalendarEntry* entry = findCalendar(extendedKey)) {
            return *entry;
        }
    }
    static_assert(pageCalendarCount() == 2, "the page has two calendar-type buttons");
    return kCalendars[firstPageButton ? 0 : 1];
}

}  // namespace annalex::calendar
