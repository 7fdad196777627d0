#pragma once
// The holiday sets a user can name: the built-in ones, whose rules files are compiled into the
// program, and rules files of their own.

#include <cstddef>
#include <span>
#include <string_view>

#include "calendar/holidays/rule_parser.hpp"

namespace annalex::calendar::holidays {

struct BuiltinSet {
    std::string_view name;  // "us", "gb-eng", "de", "fr"
    std::string_view text;  // the rules file
};

// The built-in sets in name order (generated from data/holidays at build time).
std::span<const BuiltinSet> builtinSets();

// The built-in set of that name, or nullptr.
const BuiltinSet* findBuiltinSet(std::string_view name);

// The largest rules file that is read: 1 MB.
inline constexpr std::size_t kMaxRulesFileBytes = 1024 * 1024;

// The rules of a built-in set named setOrFile, or else of the rules file at that path. An
// `include` names a built-in set or a file, a relative path taken from the including file's
// folder. Throws HolidayError: no name, a file that cannot be read, is not a regular file (a
// directory, a device, a pipe) or is larger than kMaxRulesFileBytes, or a fault in a file
// (with its line).
RuleSet loadHolidays(std::string_view setOrFile);

// The include resolution loadHolidays uses: built-in sets first, then files.
RulesSource resolveInclude(std::string_view what, std::string_view from);

}  // namespace annalex::calendar::holidays
