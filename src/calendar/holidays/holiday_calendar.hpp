#pragma once
// The holidays of a rule set looked up day by day, each calendar year evaluated once: what the
// member builders ask for every day they fill.

#include <chrono>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "calendar/holidays/holiday_dates.hpp"
#include "calendar/holidays/holiday_rules.hpp"

namespace annalex::calendar::holidays {

// The name of rule in a language: its name for the language's tag, else for the tag cut short
// one subtag at a time ("de-CH-1996", "de-CH", "de"; any case), else the name on its own line.
// An empty language asks for the name on its own line.
const std::string& nameIn(const Rule& rule, std::string_view language);

class HolidayCalendar {
  public:
    // language: a BCP 47 tag choosing among the rules' names (nameIn); empty for their own.
    explicit HolidayCalendar(RuleSet rules, std::string language = {});

    // The names of the holidays on day joined by ", ", empty when it is no holiday.
    const std::string& nameOn(std::chrono::sys_days day);
    bool isHoliday(std::chrono::sys_days day) { return !nameOn(day).empty(); }

    // The rules as read, with every name they carry.
    const RuleSet& rules() const { return rules_; }
    const std::string& language() const { return language_; }

  private:
    // One year's holiday days with their joined names, sorted by day.
    using YearDays = std::vector<std::pair<std::chrono::sys_days, std::string>>;
    const YearDays& year(int number);

    RuleSet rules_;
    std::string language_;
    // rules_ with the names of language_, as the days are evaluated.
    RuleSet named_;
    std::unordered_map<int, YearDays> years_;
    int lastYear_ = 0;
    const YearDays* last_ = nullptr;
    std::string none_;
};

}  // namespace annalex::calendar::holidays
