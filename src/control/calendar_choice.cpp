// The host's choice of calendar: a page calendar through its button, any other by key.

#include "calendar/calendar_list.hpp"
#include "control/annalex_ctrl.hpp"

namespace annalex::control {

bool AnnalexCtrl::chooseCalendar(std::string_view key, const calendar::CalendarOptions& options) {
    const calendar::CalendarEntry* entry = calendar::findCalendar(key);
    if (entry == nullptr) {
        return false;
    }
    state_.calendarOptions = options;
    const auto list = calendar::calendarList();
    const auto index = static_cast<std::size_t>(entry - list.data());
    if (index < calendar::pageCalendarCount() && index < page_.calendarType.size()) {
        state_.extendedCalendar.clear();
        if (!page_.calendarType[index].value()) {
            page_.calendarType[index].click();
        }
    } else {
        state_.extendedCalendar.assign(key);
    }
    return true;
}

std::string_view AnnalexCtrl::chosenCalendar() const {
    if (!state_.extendedCalendar.empty()) {
        return state_.extendedCalendar;
    }
    return calendar::calendarList()[state_.gregorian ? 0 : 1].key;
}

}  // namespace annalex::control
