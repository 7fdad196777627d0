// The rule language on its own: every day form, every observance, includes, and the messages
// of bad files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "calendar/holidays/holiday_calendar.hpp"
#include "calendar/holidays/holiday_sets.hpp"
#include "holiday_test_support.hpp"

namespace annalex::testing {
namespace {

using namespace calendar::holidays;

// Parses text as file "t"; an include names another text of `others`.
RuleSet parse(const std::string& text, const std::map<std::string, std::string>& others = {}) {
    const IncludeResolver resolve = [&](std::string_view what, std::string_view) {
        const auto found = others.find(std::string(what));
        if (found == others.end()) {
            throw HolidayError("no such set '" + std::string(what) + "'");
        }
        return RulesSource{found->first, found->second};
    };
    return parseRules({"t", text}, resolve);
}

// The message of the HolidayError that reading raises.
template <typename Read>
std::string faultOfReading(Read read) {
    try {
        read();
    } catch (const HolidayError& error) {
        return error.what();
    }
    return "(no error)";
}

std::string faultOf(const std::string& text,
                    const std::map<std::string, std::string>& others = {}) {
    return faultOfReading([&] { parse(text, others); });
}

struct Case {
    std::string rules;
    int year;
    std::vector<std::string> expected;
};

void expectCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(holidayLines(parse(c.rules), c.year), c.expected) << c.rules << " in " << c.year;
    }
}

TEST(RuleLanguage, EveryDayFormFindsItsDay) {
    expectCases({
        {"12-25 = X", 2021, {"2021-12-25 X"}},
        {"02-29 = X", 2021, {}},
        {"02-29 = X", 2024, {"2024-02-29 X"}},
        {"2022-09-19 = X", 2022, {"2022-09-19 X"}},
        {"2022-09-19 = X", 2023, {}},
        {"4th thu 11 = X", 2023, {"2023-11-23 X"}},
        {"last mon 05 = X", 2021, {"2021-05-31 X"}},
        {"5th fri 12 = X", 2021, {"2021-12-31 X"}},
        {"5th mon 02 = X", 2021, {}},
        // 23 November 2022 is a Wednesday itself: the one before is meant.
        {"wed before 11-23 = X", 2022, {"2022-11-16 X"}},
        {"wed before 11-23 = X", 2021, {"2021-11-17 X"}},
        {"easter = X", 2016, {"2016-03-27 X"}},
        {"easter -2 = X", 2011, {"2011-04-22 X"}},
        {"Easter +50 = X", 2024, {"2024-05-20 X"}},
        // Two names on one day keep the order of their rules.
        {"05-01 = A\neaster +39 = B", 2008, {"2008-05-01 A", "2008-05-01 B"}},
        {"12-25 from 2000 until 2002 except 2001 = X  # comment", 2001, {}},
        {"12-25 from 2000 until 2002 except 1990,2001 = X", 2002, {"2002-12-25 X"}},
        {"12-25 from 2000 until 2002 = X", 2003, {}},
    });
}

TEST(RuleLanguage, EasterIsASundayFrom22MarchTo25AprilEveryYear) {
    for (int year = 1583; year <= 9999; ++year) {
        const std::chrono::year_month_day easter = easterSunday(year);
        ASSERT_EQ(std::chrono::weekday(std::chrono::sys_days(easter)), std::chrono::Sunday) << year;
        const auto monthDay = std::chrono::month_day(easter.month(), easter.day());
        ASSERT_TRUE(monthDay >= std::chrono::March / 22 && monthDay <= std::chrono::April / 25)
            << year;
    }
    // The extremes, and dates checked against church calendars.
    for (const auto& [year, month, day] :
         std::vector<std::tuple<int, unsigned, unsigned>>{{1818, 3, 22},
                                                          {2285, 3, 22},
                                                          {1943, 4, 25},
                                                          {2038, 4, 25},
                                                          {2000, 4, 23},
                                                          {2024, 3, 31}}) {
        EXPECT_EQ(std::chrono::sys_days(easterSunday(year)), isoDate(year, month, day)) << year;
    }
}

TEST(RuleLanguage, ObservancesMoveHolidaysOffTheirDays) {
    const std::string twoDays =
        "12-25 sat,sun->next working day = C\n12-26 sat,sun->next working day = B";
    expectCases({
        {"12-25 sat->fri sun->mon = C", 2021, {"2021-12-24 C (observed)", "2021-12-25 C"}},
        {"12-25 sat->fri sun->mon = C", 2022, {"2022-12-25 C", "2022-12-26 C (observed)"}},
        {"12-25 sat->fri sun->mon = C", 2023, {"2023-12-25 C"}},
        {"07-04 sat->mon = I", 2020, {"2020-07-04 I", "2020-07-06 I (observed)"}},
        // Three days ahead is still after, four is before.
        {"07-04 sat->tue = I", 2020, {"2020-07-04 I", "2020-07-07 I (observed)"}},
        {"07-04 sun->thu = I", 2021, {"2021-07-01 I (observed)", "2021-07-04 I"}},
        // Both on the weekend: each substitute skips the one placed before it.
        {twoDays,
         2021,
         {"2021-12-25 C", "2021-12-26 B", "2021-12-27 C (observed)", "2021-12-28 B (observed)"}},
        // Sunday's substitute skips Monday's own holiday.
        {twoDays, 2022, {"2022-12-25 C", "2022-12-26 B", "2022-12-27 C (observed)"}},
        {twoDays, 2020, {"2020-12-25 C", "2020-12-26 B", "2020-12-28 B (observed)"}},
        // Into the year before, past a holiday already there.
        {"01-01 sat,sun->previous working day = N\n12-31 = E",
         2021,
         {"2021-01-01 N", "2021-12-30 N (observed)", "2021-12-31 E"}},
        // A file's weekend decides which days are not working days.
        {"weekend fri,sat\n12-25 fri,sat->next working day = C",
         2020,
         {"2020-12-25 C", "2020-12-27 C (observed)"}},
        {"12-25 fri->next working day = C", 2020, {"2020-12-25 C", "2020-12-28 C (observed)"}},
    });
}

// However many holidays crowd a stretch of days, each one moved to a working day gets a day
// of its own. 25 December 2021 is a Saturday: 400 substitutes moved forward fill each weekday
// of 2022 (260) once; moved back, each weekday of 2021 (261).
TEST(RuleLanguage, CrowdedObservancesEachGetAFreeWorkingDay) {
    for (const auto& [direction, year, weekdays] :
         {std::tuple{"next", 2022, 260u}, std::tuple{"previous", 2021, 261u}}) {
        std::string text;
        for (int i = 0; i < 400; ++i) {
            text += "12-25 sat,sun->" + std::string(direction) + " working day = H\n";
        }
        std::set<std::chrono::sys_days> days;
        for (const Holiday& holiday : holidaysIn(parse(text), year)) {
            if (!holiday.observed) {
                continue;
            }
            const std::chrono::weekday weekday(holiday.day);
            EXPECT_TRUE(weekday != std::chrono::Saturday && weekday != std::chrono::Sunday);
            EXPECT_TRUE(days.insert(holiday.day).second)
                << direction << " " << isoText(holiday.day);
        }
        EXPECT_EQ(days.size(), weekdays) << direction;
    }
}

// Years beyond four digits have holidays too, up to the last year a date can be formed in; a
// day moved beyond that year is not formed.
TEST(RuleLanguage, HolidaysReachTheLastFormableYear) {
    expectCases({
        {"12-25 = X", 12000, {"12000-12-25 X"}},
        {"12-25 from 10000 until 32767 = X", 32767, {"32767-12-25 X"}},
        {"12-25 from 10000 = X", 9999, {}},
        // 31 December 32767 is a Sunday.
        {"12-31 sun->next working day = N", 32767, {"32767-12-31 N"}},
        {"12-31 sun->mon = N", 32767, {"32767-12-31 N"}},
        {"12-25 = X", 32768, {}},
    });
    EXPECT_EQ(HolidayCalendar(parse("12-25 = X")).nameOn(isoDate(20000, 12, 25)), "X");
}

// Includes come where their line stands; each file or set is read once, however many includes
// name it, a cycle is refused, and the rules of a file with its includes are capped: the rule
// beyond the cap is named.
TEST(RuleLanguage, IncludesReadEachSourceOnceWhereTheirLineStandsAndTheRulesAreCapped) {
    std::map<std::string, std::string> others = {{"base", "12-25 = C"},
                                                 {"twice", "include base\ninclude base"},
                                                 {"a", "include b"},
                                                 {"b", "\ninclude a"}};
    EXPECT_EQ(
        holidayLines(parse("12-24 = E\ninclude twice\ninclude base\n12-25 = Own", others), 2021),
        (std::vector<std::string>{"2021-12-24 E", "2021-12-25 C", "2021-12-25 Own"}));
    EXPECT_EQ(faultOf("include a", others), "b:2: include cycle: t -> a -> b -> a");
    EXPECT_EQ(faultOf("include nowhere", others), "t:1: no such set 'nowhere'");

    std::string full;
    for (int i = 0; i < 10000; ++i) {
        full += "easter +" + std::to_string(i % 200) + " = H\n";
    }
    EXPECT_EQ(parse(full).size(), 10000u);
    EXPECT_EQ(faultOf(full + "\n# one more\n12-24 = E"),
              "t:10003: more than 10000 rules (included ones counted)");
    others["full"] = full;
    EXPECT_EQ(faultOf("12-24 = E\ninclude full", others),
              "full:10000: more than 10000 rules (included ones counted)");
}

// A `name` line gives the rule above it a name in a language; a generation in a language takes
// the name of the longest tag that matches, else the rule's own.
TEST(RuleLanguage, NamesInOtherLanguagesAreChosenByTag) {
    const RuleSet rules = parse(
        "12-25 = Christmas Day\n"
        "  name de = 1. Weihnachtstag\n"
        "  name de-CH = Weihnachten\n"
        "  # a comment and a blank line may stand between\n"
        "\n"
        "  name pt-BR = Natal\n"
        "12-26 = Boxing Day\n");
    ASSERT_EQ(rules.size(), 2u);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "Christmas Day"},    {"de", "1. Weihnachtstag"},    {"de-AT", "1. Weihnachtstag"},
        {"de-CH", "Weihnachten"}, {"DE-ch-1996", "Weihnachten"}, {"pt-BR", "Natal"},
        {"pt", "Christmas Day"},  {"fr", "Christmas Day"},
    };
    for (const auto& [language, name] : cases) {
        EXPECT_EQ(nameIn(rules[0], language), name) << language;
        EXPECT_EQ(nameIn(rules[1], language), "Boxing Day") << language;
        HolidayCalendar calendar(rules, language);
        EXPECT_EQ(calendar.nameOn(isoDate(2021, 12, 25)), name) << language;
        EXPECT_EQ(calendar.rules()[0].localNames.size(), 3u);  // kept for another choice
    }
}

TEST(RuleLanguage, BadLinesNameTheFileAndLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"12-25 Christmas", "t:1: expected '= NAME' after the day"},
        {"# comment\n\n12-25 =  ", "t:3: missing holiday name after '='"},
        {"= X", "t:1: missing day before '='"},
        {"13-01 = X", "t:1: bad month '13': expected 01 to 12"},
        {"02-30 = X", "t:1: bad date '02-30': no such day in that month"},
        {"2021-02-29 = X", "t:1: bad date '2021-02-29': no such day in that year"},
        {"4th thurs 11 = X", "t:1: unknown weekday 'thurs': expected sun, mon, ..., sat"},
        {"easter +201 = X", "t:1: bad Easter offset '+201': expected -200 to +200"},
        {"12-25 from 0 = X", "t:1: bad year '0': expected 1 to 32767"},
        {"12-25 from 2001 until 2000 = X", "t:1: first year 2001 is after last year 2000"},
        {"12-25 sat->fry = X",
         "t:1: bad observance 'sat->fry': expected a weekday, 'next "
         "working day' or 'previous working day' after '->'"},
        {"12-25 sat->fri sun,sat->mon = X",
         "t:1: observance 'sun,sat->mon' moves a weekday moved before"},
        {"12-25 sat->sat = X", "t:1: observance 'sat->sat' moves a day onto its own weekday"},
        {"12-25 from 32768 = X", "t:1: bad year '32768': expected 1 to 32767"},
        {"weekend sun,mon,tue,wed,thu\n12-25 fri,sat->next working day = X",
         "t:2: observance 'fri,sat->next' leaves no working day: its days and the weekend are "
         "the whole week"},
        // Bytes that cannot be shown are written as escapes, and the message goes on.
        {std::string("12\0-25 = X", 10),
         "t:1: unknown day '12\\x00-25': expected MM-DD, YYYY-MM-DD, 1st..5th or last WEEKDAY "
         "MM, WEEKDAY before MM-DD or easter [+N|-N]"},
        {std::string("12-25 = A\0B", 11), "t:1: holiday name 'A\\x00B' holds a control character"},
        // A rule's names in other languages.
        {"name en = X", "t:1: a 'name' line must follow the rule it names"},
        {"12-25 = X\ninclude base\nname en = Y",
         "t:3: a 'name' line must follow the rule it names"},
        {"12-25 = X\nname en_GB = Y",
         "t:2: bad language tag 'en_GB': expected a BCP 47 tag such as en, de or pt-BR"},
        {"12-25 = X\nname en = Y\nname EN = Z", "t:3: the holiday has a name for 'EN' already"},
    };
    const std::map<std::string, std::string> others = {{"base", "01-01 = B"}};
    for (const auto& [text, message] : cases) {
        EXPECT_EQ(faultOf(text, others), message) << text;
    }
}

TEST(RuleFiles, IncludePathsAreTakenFromTheIncludingFile) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("annalex-holidays-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "extra");
    std::ofstream(folder / "company.rules") << "include us\ninclude extra/closing.rules\n";
    std::ofstream(folder / "extra" / "closing.rules") << "12-24 = Closed\n\n12-32 = Bad\n";
    std::ofstream(folder / "missing.rules") << "include gone.rules\n";

    EXPECT_EQ(faultOfReading([&] { loadHolidays((folder / "company.rules").string()); }),
              (folder / "extra" / "closing.rules").string() +
                  ":3: bad date '12-32': no such day in that month");
    EXPECT_EQ(faultOfReading([&] { loadHolidays((folder / "missing.rules").string()); }),
              (folder / "missing.rules").string() + ":1: cannot read holiday rules file '" +
                  (folder / "gone.rules").string() +
                  "': No such file or directory (not a built-in set: us, gb-eng, de, fr)");

    // The same file reached again by another path, here through a link, is not read twice.
    std::ofstream(folder / "extra" / "closing.rules") << "12-24 = Closed\n";
    std::error_code noLinks;
    std::filesystem::create_symlink("extra/closing.rules", folder / "closing-link.rules", noLinks);
    if (noLinks) {  // Wine, for one, makes no symbolic links
        std::filesystem::remove_all(folder);
        GTEST_SKIP() << "no symbolic link: " << noLinks.message();
    }
    std::ofstream(folder / "company.rules", std::ios::app) << "include closing-link.rules\n";
    const auto lines = holidayLines(loadHolidays((folder / "company.rules").string()), 2021);
    EXPECT_EQ(lines.size(), holidaysIn(loadHolidays("us"), 2021).size() + 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "2021-12-24 Closed"), 1);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace annalex::testing
