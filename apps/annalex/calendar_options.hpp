#pragma once
// The options of `annalex generate` that pick and shape a calendar beyond the page's two:
// --week-start, --year-end-month, --year-end-rule, --year-name (the week-based fiscal
// calendars retail and periods13), --pattern (retail), --long-quarter (periods13) and
// --fill-attributes and --with-dates (every calendar), --holidays and --weekend for the
// filled attributes, and --language for the names (every calendar).
//
// Values are checked while the command line is read; the combinations (an option the chosen
// calendar does not take, Quarter or Month with iso) when the command runs. Both are usage
// errors that name the option at fault.

#include <CLI/CLI.hpp>
#include <array>
#include <optional>
#include <string>

#include "calendar/calendar_options.hpp"
#include "cube/dimension_export.hpp"

namespace annalex::control {
class AnnalexCtrl;
}

namespace annalex::cli {

// The options as given; empty when not given.
struct CalendarOptionTexts {
    std::optional<std::string> weekStart;
    std::optional<int> yearEndMonth;
    std::optional<std::string> yearEndRule;
    std::optional<std::string> yearName;
    std::optional<std::string> pattern;
    std::optional<int> longQuarter;
    bool fillAttributes = false;
    bool withDates = false;
    std::optional<std::string> holidays;  // a built-in set or a rules file
    std::optional<std::string> weekend;   // "sat,sun", or "none"
    std::optional<std::string> language;  // a BCP 47 tag
};

void addCalendarOptions(CLI::App& command, CalendarOptionTexts& texts);

// The calendar options for calendarKey, with the defaults for what was not given; throws
// CLI::ValidationError naming the option when calendarKey does not take a given option, or
// (with levelTicks, Year to Day) when iso is asked for Quarter or Month.
calendar::CalendarOptions checkCalendarOptions(const std::string& calendarKey,
                                               const CalendarOptionTexts& texts,
                                               const std::array<bool, 5>& levelTicks);

// Hands --language, --fill-attributes, --with-dates, --holidays and --weekend to the control
// for any calendar, and a calendar beyond the page's two with its options; the page's own
// calendars are chosen with the page's buttons. Throws CLI::ValidationError naming --language
// for an unknown tag, and --holidays when its set or file cannot be read.
void chooseExtendedCalendar(control::AnnalexCtrl& ctrl, const std::string& calendarKey,
                            const calendar::CalendarOptions& options,
                            const CalendarOptionTexts& texts);

// With --with-dates, the members' first and last days the control recorded; otherwise none.
cube::MemberDates memberDatesFor(const control::AnnalexCtrl& ctrl,
                                 const CalendarOptionTexts& texts);

}  // namespace annalex::cli
