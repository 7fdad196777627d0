// The host's choice of holidays for the filled attributes.

#include "calendar/holidays/holiday_calendar.hpp"
#include "calendar/holidays/holiday_sets.hpp"
#include "control/annalex_ctrl.hpp"

namespace annalex::control {

std::string AnnalexCtrl::setHolidays(std::string_view setOrFile) {
    namespace holidays = calendar::holidays;
    if (setOrFile.empty()) {
        state_.holidays.reset();
        return {};
    }
    try {
        state_.holidays = std::make_shared<holidays::HolidayCalendar>(
            holidays::loadHolidays(setOrFile), state_.names->language());
    } catch (const holidays::HolidayError& error) {
        return error.what();
    }
    return {};
}

}  // namespace annalex::control
