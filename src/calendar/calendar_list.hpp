#pragma once
// Every calendar the step can generate, in the order it offers them: the page's calendar-type
// buttons show the first pageCalendarCount() captions, the command line takes every key.

#include <cstddef>
#include <span>
#include <string_view>

#include "calendar/calendar.hpp"

namespace annalex::calendar {

std::span<const CalendarEntry> calendarList();

// The calendars the page offers as option buttons: the first entries of the list.
constexpr std::size_t pageCalendarCount() {
    return 2;
}

// The entry of that key (exact, lower case); nullptr when none.
const CalendarEntry* findCalendar(std::string_view key);

// The calendar a generation uses: the one a host chose beyond the page's (extendedKey) when it
// names a calendar of the list, else the one of the page's calendar-type buttons: the first
// button is the list's first calendar, the other button its second.
const CalendarEntry& chosenCalendar(std::string_view extendedKey, bool firstPageButton);

}  // namespace annalex::calendar
