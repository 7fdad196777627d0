#pragma once
// Reads a rules file into a RuleSet. Every fault is a HolidayError whose message starts with
// the file's name and the line number ("office.rules:3: unknown weekday 'thurs'"); an included
// set's faults name the included file. Bytes of the file that cannot be shown are written in
// messages as \xNN escapes.
//
// Each source is read once: an include of a set or file already read (through any path) adds
// nothing, and one of a file still being read is a cycle. A file with its includes holds at
// most kMaxRules rules; the rule beyond that is a fault.

#include <functional>
#include <string>
#include <string_view>

#include "calendar/holidays/holiday_rules.hpp"

namespace annalex::calendar::holidays {

// A rules text and the name its messages use.
struct RulesSource {
    std::string name;
    std::string text;
    // What makes two sources the same whatever name reached them (a file's device and inode);
    // empty: the name.
    std::string identity = {};
};

// Finds what `include WHAT` names in the file called from; throws HolidayError when there is
// no such set or file.
using IncludeResolver = std::function<RulesSource(std::string_view what, std::string_view from)>;

// The rules of text, included sets first where the include lines stand.
RuleSet parseRules(const RulesSource& source, const IncludeResolver& resolve);

// The weekday of a three-letter English name, any case ("sat"); false for anything else.
bool weekdayNamed(std::string_view name, std::chrono::weekday& out);

// A comma-separated list of weekday names ("sat,sun"); false when a name is unknown, one is
// repeated or the list is empty.
bool weekdaysNamed(std::string_view list, WeekdaySet& out);

}  // namespace annalex::calendar::holidays
