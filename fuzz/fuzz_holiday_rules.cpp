// Fuzzes the holiday rule language: any text either reads as rules or fails with a
// HolidayError naming the file and line; rules that read evaluate, for a few years, to
// holidays sorted by day and inside their year. Includes reach the built-in sets only, never
// the file system.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "calendar/holidays/holiday_dates.hpp"
#include "calendar/holidays/holiday_sets.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace annalex::calendar::holidays;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const IncludeResolver builtinOnly = [](std::string_view what, std::string_view) {
        const BuiltinSet* set = findBuiltinSet(what);
        if (set == nullptr) {
            throw HolidayError("no built-in set '" + std::string(what) + "'");
        }
        return RulesSource{std::string(set->name), std::string(set->text)};
    };
    RuleSet rules;
    try {
        rules = parseRules({"fuzz", text}, builtinOnly);
    } catch (const HolidayError& error) {
        if (!std::string_view(error.what()).starts_with("fuzz:")) {
            std::abort();  // a message without the file and line at fault
        }
        return 0;
    }
    for (const int year : {1, 1583, 1970, 2021, 9999}) {
        const std::chrono::year expected(year);
        std::chrono::sys_days previous = std::chrono::sys_days::min();
        for (const Holiday& holiday : holidaysIn(rules, year)) {
            if (std::chrono::year_month_day(holiday.day).year() != expected ||
                holiday.day < previous || holiday.name.empty()) {
                std::abort();
            }
            previous = holiday.day;
        }
    }
    return 0;
}
