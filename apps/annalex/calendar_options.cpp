#include "calendar_options.hpp"

#include <algorithm>
#include <vector>

#include "calendar/calendar_list.hpp"
#include "calendar/calendar_names.hpp"
#include "calendar/holidays/rule_parser.hpp"
#include "control/annalex_ctrl.hpp"

namespace annalex::cli {
namespace {

constexpr std::array<const char*, 7> kWeekdays = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

bool weekBased(const std::string& key) {
    return key == "retail" || key == "periods13";
}

// The days of a --weekend value: weekday names joined by commas, or "none".
bool weekendDays(const std::string& text, calendar::holidays::WeekdaySet& days) {
    if (text == "none") {
        days = {};
        return true;
    }
    return calendar::holidays::weekdaysNamed(text, days);
}

// A given option the calendar does not take.
void refuse(bool given, const std::string& option, const std::string& why) {
    if (given) {
        throw CLI::ValidationError(option, why);
    }
}

}  // namespace

void addCalendarOptions(CLI::App& command, CalendarOptionTexts& texts) {
    const std::vector<std::string> weekdays(kWeekdays.begin(), kWeekdays.end());
    command
        .add_option("--week-start", texts.weekStart,
                    "First day of each week, retail and periods13 (default sun)")
        ->check(CLI::IsMember(weekdays, CLI::ignore_case))
        ->transform(CLI::IsMember(weekdays, CLI::ignore_case));
    command
        .add_option("--year-end-month", texts.yearEndMonth,
                    "Month 1..12 in which the fiscal year ends, retail and periods13 (default 12)")
        ->check(CLI::Range(1, 12));
    command
        .add_option("--year-end-rule", texts.yearEndRule,
                    "Year ends on the last week-end day of that month, or the one nearest its "
                    "last day: last|nearest (default last)")
        ->check(CLI::IsMember({"last", "nearest"}));
    command
        .add_option("--year-name", texts.yearName,
                    "Name a fiscal year by the calendar year of its start or its end month: "
                    "start|end (default end)")
        ->check(CLI::IsMember({"start", "end"}));
    command
        .add_option("--pattern", texts.pattern,
                    "Weeks of each quarter's months, retail only: 445|454|544 (default 445)")
        ->check(CLI::IsMember({"445", "454", "544"}));
    command
        .add_option("--long-quarter", texts.longQuarter,
                    "The quarter 1..4 that holds four periods, periods13 only (default 4)")
        ->check(CLI::Range(1, 4));
    command.add_flag("--fill-attributes", texts.fillAttributes,
                     "Fill every attribute of each member from its dates (see "
                     "docs/attributes.md)");
    command.add_flag("--with-dates", texts.withDates,
                     "Add each member's first and last day to jsonl and csv output");
    command.add_option("--holidays", texts.holidays,
                       "Holidays for the filled attributes: us|gb-eng|de|fr or a rules file "
                       "(see docs/holidays.md)");
    command
        .add_option("--weekend", texts.weekend,
                    "Weekend days for the filled attributes, e.g. fri,sat, or none (default "
                    "sat,sun)")
        ->check(
            [](const std::string& text) {
                calendar::holidays::WeekdaySet days;
                return weekendDays(text, days)
                           ? std::string()
                           : "expected weekdays sun,mon,...,sat joined by commas, or none";
            },
            "DAYS");
    command
        .add_option("--language", texts.language,
                    "Month and weekday names, and holiday names where the rules have them, in "
                    "this language: a BCP 47 tag such as de, fr, ja or pt-BR (default: English)")
        ->check(
            [](const std::string& tag) {
                try {
                    calendar::cldrNames(tag);
                } catch (const calendar::LanguageError& error) {
                    return std::string(error.what());
                }
                return std::string();
            },
            "TAG");
}

calendar::CalendarOptions checkCalendarOptions(const std::string& calendarKey,
                                               const CalendarOptionTexts& texts,
                                               const std::array<bool, 5>& levelTicks) {
    const bool iso = calendarKey == "iso";
    const std::string weeklyOnly =
        iso ? "ISO 8601 fixes its weeks and years (Monday weeks, week 1 holds 4 January)"
            : "only with --calendar retail or --calendar periods13";
    if (!weekBased(calendarKey)) {
        refuse(texts.weekStart.has_value(), "--week-start", weeklyOnly);
        refuse(texts.yearEndMonth.has_value(), "--year-end-month", weeklyOnly);
        refuse(texts.yearEndRule.has_value(), "--year-end-rule", weeklyOnly);
        refuse(texts.yearName.has_value(), "--year-name", weeklyOnly);
    }
    refuse(texts.pattern.has_value() && calendarKey != "retail", "--pattern",
           "only with --calendar retail");
    refuse(texts.longQuarter.has_value() && calendarKey != "periods13", "--long-quarter",
           "only with --calendar periods13");
    refuse(texts.holidays.has_value() && !texts.fillAttributes, "--holidays",
           "only with --fill-attributes");
    refuse(texts.weekend.has_value() && !texts.fillAttributes, "--weekend",
           "only with --fill-attributes");
    // An empty name would quietly mean no holidays at all.
    refuse(texts.holidays.has_value() && texts.holidays->empty(), "--holidays",
           "expected a built-in set (us, gb-eng, de, fr) or a rules file, not an empty name");
    refuse(iso && (levelTicks[1] || levelTicks[2]), "--levels",
           "the iso calendar has Year, Week and Day levels only (no Quarter or Month)");

    calendar::CalendarOptions options;
    if (texts.weekStart) {
        const auto day = std::find(kWeekdays.begin(), kWeekdays.end(), *texts.weekStart);
        options.weekStart = std::chrono::weekday(static_cast<unsigned>(day - kWeekdays.begin()));
    }
    options.yearEndMonth = texts.yearEndMonth.value_or(options.yearEndMonth);
    if (texts.yearEndRule) {
        options.yearEndRule = *texts.yearEndRule == "nearest" ? calendar::YearEndRule::Nearest
                                                              : calendar::YearEndRule::Last;
    }
    if (texts.yearName) {
        options.yearName =
            *texts.yearName == "start" ? calendar::YearName::Start : calendar::YearName::End;
    }
    if (texts.pattern) {
        options.pattern = *texts.pattern == "454"   ? calendar::RetailPattern::P454
                          : *texts.pattern == "544" ? calendar::RetailPattern::P544
                                                    : calendar::RetailPattern::P445;
    }
    options.longQuarter = texts.longQuarter.value_or(options.longQuarter);
    return options;
}

void chooseExtendedCalendar(control::AnnalexCtrl& ctrl, const std::string& calendarKey,
                            const calendar::CalendarOptions& options,
                            const CalendarOptionTexts& texts) {
    if (texts.language) {
        const std::string fault = ctrl.setLanguage(*texts.language);
        if (!fault.empty()) {
            throw CLI::ValidationError("--language", fault);
        }
    }
    if (texts.holidays) {
        const std::string fault = ctrl.setHolidays(*texts.holidays);
        if (!fault.empty()) {
            throw CLI::ValidationError("--holidays", fault);
        }
    }
    calendar::holidays::WeekdaySet weekend = calendar::holidays::WeekdaySet::saturdaySunday();
    if (texts.weekend && weekendDays(*texts.weekend, weekend)) {
        ctrl.setWeekend(weekend);
    }
    ctrl.setFillAttributes(texts.fillAttributes);
    ctrl.setRecordDates(texts.withDates);
    const auto list = calendar::calendarList();
    for (std::size_t i = calendar::pageCalendarCount(); i < list.size(); ++i) {
        if (list[i].key == calendarKey) {
            ctrl.chooseCalendar(calendarKey, options);
        }
    }
}

cube::MemberDates memberDatesFor(const control::AnnalexCtrl& ctrl,
                                 const CalendarOptionTexts& texts) {
    if (!texts.withDates) {
        return {};
    }
    return [&ctrl](std::string_view level, std::string_view name) {
        return ctrl.memberDates(level, name);
    };
}

}  // namespace annalex::cli
