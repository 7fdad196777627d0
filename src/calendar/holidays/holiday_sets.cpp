// Finding a holiday set by name or path, and its includes.

#include "calendar/holidays/holiday_sets.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace annalex::calendar::holidays {
namespace {

constexpr std::string_view kBuiltinSuffix = " (built-in)";

bool isBuiltinSource(std::string_view name) {
    return name.size() > kBuiltinSuffix.size() && name.ends_with(kBuiltinSuffix);
}

RulesSource readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw HolidayError("cannot read holiday rules file '" + path.string() +
                           "' (not a built-in set: us, gb-eng, de, fr)");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return {path.lexically_normal().string(), text.str()};
}

}  // namespace

const BuiltinSet* findBuiltinSet(std::string_view name) {
    const auto sets = builtinSets();
    const auto found = std::find_if(sets.begin(), sets.end(),
                                    [&](const BuiltinSet& set) { return set.name == name; });
    return found == sets.end() ? nullptr : &*found;
}

RulesSource resolveInclude(std::string_view what, std::string_view from) {
    if (const BuiltinSet* set = findBuiltinSet(what)) {
        return {std::string(set->name) + std::string(kBuiltinSuffix), std::string(set->text)};
    }
    std::filesystem::path path(what);
    if (path.is_relative() && !from.empty() && !isBuiltinSource(from)) {
        path = std::filesystem::path(from).parent_path() / path;
    }
    return readFile(path);
}

RuleSet loadHolidays(std::string_view setOrFile) {
    return parseRules(resolveInclude(setOrFile, ""), resolveInclude);
}

}  // namespace annalex::calendar::holidays
