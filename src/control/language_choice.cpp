// The host's choice of the language the names are written in.

#include "calendar/calendar_names.hpp"
#include "calendar/holidays/holiday_calendar.hpp"
#include "control/annalex_ctrl.hpp"

namespace annalex::control {

std::string AnnalexCtrl::setLanguage(std::string_view tag) {
    std::shared_ptr<const calendar::CalendarNames> names;
    try {
        names = tag.empty() ? calendar::builtinNames() : calendar::cldrNames(tag);
    } catch (const calendar::LanguageError& error) {
        return error.what();
    }
    state_.names = names;
    builder_.monthNames();
    builder_.dayNames();
    if (state_.holidays) {
        state_.holidays = std::make_shared<calendar::holidays::HolidayCalendar>(
            state_.holidays->rules(), names->language());
    }
    return {};
}

}  // namespace annalex::control
