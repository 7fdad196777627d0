// A build without ICU (Windows) has the built-in English names only.

#include "calendar/calendar_names.hpp"

namespace annalex::calendar {

std::shared_ptr<const CalendarNames> cldrNames(std::string_view tag) {
    throw LanguageError("'" + std::string(tag) +
                        "': names in other languages come from ICU, which this build does not "
                        "have; leave out the language to write the English names");
}

std::vector<Language> cldrLanguages() {
    return {};
}

}  // namespace annalex::calendar
