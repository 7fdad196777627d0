// The one list of calendars. Each calendar lives in its own file under calendars/ and is
// registered here with its maker's declaration and its entry.

#include "calendar/calendar_list.hpp"

#include <array>

namespace annalex::calendar {

std::unique_ptr<Calendar> makeGregorianCalendar(std::chrono::year_month_day start);
std::unique_ptr<Calendar> makeFiscalCalendar(std::chrono::year_month_day start);

namespace {

constexpr std::array kCalendars = {
    CalendarEntry{"gregorian", "Gregorian", &makeGregorianCalendar},
    CalendarEntry{"fiscal", "Fiscal", &makeFiscalCalendar},
};

}  // namespace

std::span<const CalendarEntry> calendarList() {
    return kCalendars;
}

const CalendarEntry* findCalendar(std::string_view key) {
    for (const CalendarEntry& entry : kCalendars) {
        if (entry.key == key) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace annalex::calendar
