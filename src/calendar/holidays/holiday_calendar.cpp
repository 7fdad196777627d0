#include "calendar/holidays/holiday_calendar.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "calendar/dates.hpp"

namespace annalex::calendar::holidays {
namespace {

bool sameTag(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

const std::string& nameIn(const Rule& rule, std::string_view language) {
    while (!language.empty()) {
        for (const LocalName& local : rule.localNames) {
            if (sameTag(local.language, language)) {
                return local.name;
            }
        }
        const auto dash = language.rfind('-');
        language = language.substr(0, dash == std::string_view::npos ? 0 : dash);
    }
    return rule.name;
}

HolidayCalendar::HolidayCalendar(RuleSet rules, std::string language)
    : rules_(std::move(rules)), language_(std::move(language)), named_(rules_) {
    for (Rule& rule : named_) {
        rule.name = nameIn(rule, language_);
        rule.localNames.clear();
    }
}

const HolidayCalendar::YearDays& HolidayCalendar::year(int number) {
    if (last_ != nullptr && lastYear_ == number) {
        return *last_;
    }
    auto found = years_.find(number);
    if (found == years_.end()) {
        YearDays days;
        for (const Holiday& holiday : holidaysIn(named_, number)) {
            if (!days.empty() && days.back().first == holiday.day) {
                days.back().second += ", ";
                days.back().second += holiday.name;
            } else {
                days.emplace_back(holiday.day, holiday.name);
            }
        }
        found = years_.emplace(number, std::move(days)).first;
    }
    lastYear_ = number;
    last_ = &found->second;
    return *last_;
}

const std::string& HolidayCalendar::nameOn(std::chrono::sys_days day) {
    // Counted on integers: std::chrono's years end at 32767, a calendar's days may not.
    const std::int32_t number = civilDate(day).year;
    if (number < kFirstHolidayYear || number > kLastHolidayYear) {
        return none_;
    }
    const YearDays& days = year(number);
    const auto found = std::lower_bound(
        days.begin(), days.end(), day,
        [](const auto& entry, std::chrono::sys_days d) { return entry.first < d; });
    return found != days.end() && found->first == day ? found->second : none_;
}

}  // namespace annalex::calendar::holidays
