// The host's choice of calendar: a page calendar through its button, any other by key.

#include <cstdio>

#include "calendar/calendar_list.hpp"
#include "calendar/dates.hpp"
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

std::optional<std::pair<std::string, std::string>> AnnalexCtrl::memberDates(
    std::string_view level, std::string_view name) const {
    std::string key(level);
    key.push_back('\t');
    key.append(name);
    const auto found = state_.memberDates.find(key);
    if (found == state_.memberDates.end()) {
        return std::nullopt;
    }
    const auto iso = [](std::chrono::sys_days day) {
        const calendar::CivilDate date = calendar::civilDate(day);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", static_cast<int>(date.year),
                      static_cast<int>(date.month), static_cast<int>(date.day));
        return std::string(text);
    };
    return std::pair{iso(found->second.first), iso(found->second.second)};
}

std::string_view AnnalexCtrl::chosenCalendar() const {
    return calendar::chosenCalendar(state_.extendedCalendar, state_.gregorian).key;
}

}  // namespace annalex::control
