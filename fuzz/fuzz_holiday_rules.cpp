// Fuzzes the holiday rule language: any text either reads as rules or fails with a
// HolidayError naming the file and line, whole (a NUL or control byte of the text never cuts a
// message short); rules that read stay within the rule cap and evaluate, for years up to the
// last one dates are formed in, to holidays sorted by day and inside their year.
//
// The input is split at "\n%%\n" into the text read and up to three more texts, "a", "b" and
// "c", that it and each other may include any number of times, so that repeated includes,
// cycles and the rule cap are reached; other includes reach the built-in sets, never the file
// system (the file reader's own limits are tested in the holiday tests).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "calendar/holidays/holiday_dates.hpp"
#include "calendar/holidays/holiday_sets.hpp"

namespace {

using namespace annalex::calendar::holidays;

bool holdsControl(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::map<std::string, std::string> texts;
    std::string_view rest = input;
    for (const char* name : {"fuzz", "a", "b", "c"}) {
        const auto end = rest.find("\n%%\n");
        texts[name] = std::string(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 4);
    }
    const IncludeResolver resolve = [&](std::string_view what, std::string_view) {
        if (const auto found = texts.find(std::string(what));
            found != texts.end() && found->first != "fuzz") {
            return RulesSource{found->first, found->second};
        }
        const BuiltinSet* set = findBuiltinSet(what);
        if (set == nullptr) {
            throw HolidayError("no built-in set '" + std::string(what) + "'");
        }
        return RulesSource{std::string(set->name), std::string(set->text)};
    };
    RuleSet rules;
    try {
        rules = parseRules({"fuzz", texts["fuzz"]}, resolve);
    } catch (const HolidayError& error) {
        const std::string message = error.what();
        const auto colon = message.find(':');
        const std::string source = message.substr(0, colon);
        if (colon == std::string::npos ||
            (!texts.contains(source) && findBuiltinSet(source) == nullptr) ||
            holdsControl(message)) {
            std::abort();  // a message without the file and line at fault, or not shown whole
        }
        return 0;
    }
    if (rules.size() > kMaxRules) {
        std::abort();
    }
    for (const int year : {1, 1583, 1970, 2021, 9999, 32767}) {
        const std::chrono::sys_days newYear = std::chrono::year(year) / 1 / 1;
        const std::chrono::sys_days yearEnd = std::chrono::year(year) / 12 / 31;
        std::chrono::sys_days previous = std::chrono::sys_days::min();
        for (const Holiday& holiday : holidaysIn(rules, year)) {
            if (holiday.day < newYear || holiday.day > yearEnd || holiday.day < previous ||
                holiday.name.empty() || holdsControl(holiday.name)) {
                std::abort();
            }
            previous = holiday.day;
        }
    }
    return 0;
}
