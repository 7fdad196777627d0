// The built-in English month and weekday names, and the name table every provider fills.

#include <array>

#include "calendar/calendar_names.hpp"

namespace annalex::calendar {
namespace {

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

// The names the step has always written: whole, or cut to their first three letters.
std::string inWidth(const char* name, NameWidth width) {
    const std::string whole(name);
    return width == NameWidth::Wide ? whole : whole.substr(0, 3);
}

class BuiltinNames final : public CalendarNames {
  public:
    const std::string& language() const override { return language_; }
    std::string month(unsigned month, NameWidth width, NameContext) const override {
        return inWidth(kMonthNames.at(month - 1), width);
    }
    std::string weekday(std::chrono::weekday day, NameWidth width, NameContext) const override {
        return inWidth(kDayNames.at(day.c_encoding()), width);
    }

  private:
    std::string language_;
};

constexpr std::array kWidths = {NameWidth::Abbreviated, NameWidth::Wide};
constexpr std::array kContexts = {NameContext::StandAlone, NameContext::InDate};

}  // namespace

std::shared_ptr<const CalendarNames> builtinNames() {
    static const auto names = std::make_shared<const BuiltinNames>();
    return names;
}

void NameTable::fillMonths(const CalendarNames& names) {
    for (const NameContext context : kContexts) {
        for (const NameWidth width : kWidths) {
            auto& table = months_[index(width, context)];
            for (unsigned month = 1; month <= table.size(); ++month) {
                table[month - 1] = names.month(month, width, context);
            }
        }
    }
}

void NameTable::fillWeekdays(const CalendarNames& names) {
    for (const NameContext context : kContexts) {
        for (const NameWidth width : kWidths) {
            auto& table = weekdays_[index(width, context)];
            for (unsigned day = 0; day < table.size(); ++day) {
                table[day] = names.weekday(std::chrono::weekday(day), width, context);
            }
        }
    }
}

}  // namespace annalex::calendar
