// Month and weekday names in a chosen language: the CLDR names (the expected texts are taken by
// hand from the CLDR charts, not from ICU), the tags that are refused, and the names the
// builders write with a language chosen.

#include <gtest/gtest.h>

#include <chrono>

#include "calendar/calendar_names.hpp"
#include "calendar_test_support.hpp"

namespace annalex::testing {
namespace {

using calendar::NameContext;
using calendar::NameWidth;
using Names = std::vector<std::string>;
namespace chr = std::chrono;

TEST(LanguageNames, CldrNamesInEachWidthAndContext) {
    constexpr auto kAbbreviated = NameWidth::Abbreviated;
    constexpr auto kWide = NameWidth::Wide;
    constexpr auto kAlone = NameContext::StandAlone;
    constexpr auto kDate = NameContext::InDate;
    struct Case {
        const char* tag;
        NameWidth width;
        NameContext context;
        unsigned month;
        const char* monthName;
        chr::weekday day;
        const char* dayName;
    };
    const Case cases[] = {
        {"de", kAbbreviated, kAlone, 3, "Mär", chr::Monday, "Mo"},
        {"de", kAbbreviated, kDate, 3, "März", chr::Monday, "Mo."},
        {"de", kAbbreviated, kDate, 9, "Sept.", chr::Tuesday, "Di."},
        {"de", kWide, kAlone, 12, "Dezember", chr::Sunday, "Sonntag"},
        {"fr", kAbbreviated, kAlone, 2, "févr.", chr::Sunday, "dim."},
        {"fr", kWide, kDate, 8, "août", chr::Wednesday, "mercredi"},
        {"es", kAbbreviated, kAlone, 1, "ene", chr::Wednesday, "mié"},
        {"es", kWide, kDate, 9, "septiembre", chr::Saturday, "sábado"},
        {"ja", kAbbreviated, kAlone, 12, "12月", chr::Saturday, "土"},
        {"ja", kWide, kDate, 1, "1月", chr::Saturday, "土曜日"},
        {"pt-BR", kAbbreviated, kDate, 9, "set.", chr::Monday, "seg."},
        {"pt-BR", kWide, kAlone, 3, "março", chr::Monday, "segunda-feira"},
        // Russian months inflect inside a date.
        {"ru", kWide, kAlone, 1, "январь", chr::Friday, "пятница"},
        {"ru", kWide, kDate, 1, "января", chr::Friday, "пятница"},
        {"ru", kAbbreviated, kAlone, 5, "май", chr::Friday, "пт"},
        {"ru", kAbbreviated, kDate, 5, "мая", chr::Friday, "пт"},
        {"en-GB", kAbbreviated, kAlone, 9, "Sept", chr::Thursday, "Thu"},
    };
    for (const Case& c : cases) {
        const auto names = calendar::cldrNames(c.tag);
        EXPECT_EQ(names->language(), c.tag);
        EXPECT_EQ(names->month(c.month, c.width, c.context), c.monthName) << c.tag << c.month;
        EXPECT_EQ(names->weekday(c.day, c.width, c.context), c.dayName) << c.tag;
    }
    // Tags are read in any case and answered in their usual spelling.
    EXPECT_EQ(calendar::cldrNames("PT-br")->language(), "pt-BR");
}

TEST(LanguageNames, UnknownTagsAreRefusedNamingThem) {
    struct Case {
        const char* tag;
        const char* message;
    };
    const Case cases[] = {
        {"xx", "unknown language 'xx': ICU has no CLDR data for it"},
        // A region CLDR lacks is not quietly answered with the language's own names.
        {"en-UK", "unknown language 'en-UK': ICU has no CLDR data for it"},
        {"de_DE", "'de_DE' is not a language tag"},
        {"de-", "'de-' is not a language tag"},
        {"und", "'und' names no language"},
        {"", "'' names no language"},
    };
    for (const Case& c : cases) {
        try {
            calendar::cldrNames(c.tag);
            ADD_FAILURE() << c.tag << " was accepted";
        } catch (const calendar::LanguageError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

// The languages a host offers are exactly those a tag is accepted for.
TEST(LanguageNames, EveryOfferedLanguageIsAccepted) {
    const auto languages = calendar::cldrLanguages();
    Names tags;
    for (const calendar::Language& language : languages) {
        EXPECT_NO_THROW(calendar::cldrNames(language.tag)) << language.tag;
        EXPECT_FALSE(language.name.empty()) << language.tag;
        tags.push_back(language.tag);
    }
    for (const char* tag : {"de", "fr", "es", "ja", "pt-BR"}) {
        EXPECT_NE(std::find(tags.begin(), tags.end(), tag), tags.end()) << tag;
    }
}

// The page's builders with a language chosen (weeks begin on Sunday): months and weekdays by
// themselves in their stand-alone forms, a day's name in the forms of a date.
TEST(LanguageNames, MembersAreNamedInTheChosenLanguage) {
    struct Case {
        const char* tag;
        Choice choice;
        std::string parent;
        Names firstChildren;
    };
    const Case cases[] = {
        {"de", {.mask = 1 | 4, .monthFormat = 1}, "2001", {"Jan", "Feb", "Mär", "Apr"}},
        {"ru", {.mask = 1 | 4, .monthFormat = 2}, "2001", {"январь", "февраль"}},
        {"ru",
         {.mask = 1 | 16, .dayFormat = 2, .monthFormat = 2},
         "2001",
         {"понедельник 1 января_2001", "вторник 2 января_2001"}},
        {"de",
         {.mask = 1 | 16, .dayFormat = 1, .monthFormat = 0},
         "2001",
         {"Mo. 1 Jan._2001", "Di. 2 Jan._2001"}},
        {"fr", {.mask = 8 | 16, .dayFormat = 1}, "W1", {"dim._W1", "lun._W1", "mar._W1"}},
        {"ja", {.mask = 8 | 16, .dayFormat = 2}, "W1", {"日曜日_W1", "月曜日_W1"}},
        // Month numbers stay numbers.
        {"ja", {.mask = 1 | 4 | 16}, "2001", {"1", "2", "3"}},
        {"ja", {.mask = 1 | 4 | 16}, "3", {"3_1", "3_2"}},
    };
    for (const Case& c : cases) {
        ControlHarness harness;
        ASSERT_EQ(harness.ctrl.setLanguage(c.tag), "");
        generate(harness, c.choice);
        ASSERT_EQ(harness.results, std::vector<bool>{true}) << c.tag;
        Names children = Tree(*harness.hierarchy()).childrenOf(c.parent);
        children.resize(std::min(children.size(), c.firstChildren.size()));
        EXPECT_EQ(children, c.firstChildren) << c.tag << " " << c.choice.mask;
    }
}

TEST(LanguageNames, WeekdayAttributeAndHolidaysFollowTheLanguage) {
    struct Case {
        const char* tag;
        const char* holidays;
        const char* weekday;
        const char* holiday;
    };
    const Case cases[] = {
        {"de", "de", "Montag", "Neujahr"},
        {"en", "de", "Monday", "New Year's Day"},
        {"fr-CA", "fr", "lundi", "Jour de l'an"},
        {"en-GB", "fr", "Monday", "New Year's Day"},
        // A set without names in the language keeps its own.
        {"de", "us", "Montag", "New Year's Day"},
        {"", "de", "Monday", "Neujahr"},
    };
    for (const Case& c : cases) {
        ControlHarness harness;
        harness.ctrl.setFillAttributes(true);
        // The language and the holidays may be chosen in either order.
        ASSERT_EQ(harness.ctrl.setHolidays(c.holidays), "");
        ASSERT_EQ(harness.ctrl.setLanguage(c.tag), "");
        generate(harness, {.mask = 4 | 16, .monthFormat = 0});
        auto values = Tree(*harness.hierarchy()).attributes("1_1");
        EXPECT_EQ(values["DayWeekday"], c.weekday) << c.tag;
        EXPECT_EQ(values["DayHoliday"], c.holiday) << c.tag << " " << c.holidays;
    }
}

TEST(LanguageNames, AFaultyTagKeepsTheNamesAndTheEmptyTagBringsBackEnglish) {
    ControlHarness harness;
    ASSERT_EQ(harness.ctrl.setLanguage("fr"), "");
    EXPECT_NE(harness.ctrl.setLanguage("xx"), "");
    EXPECT_EQ(harness.ctrl.state().monthNameTable[0], "janvier");
    EXPECT_EQ(harness.ctrl.setLanguage(""), "");
    EXPECT_EQ(harness.ctrl.state().monthNameTable[0], "January");
    generate(harness, {.mask = 1 | 16, .dayFormat = 1, .monthFormat = 1});
    EXPECT_EQ(Tree(*harness.hierarchy()).childrenOf("2001").front(), "Mon 1 Jan_2001");
}

}  // namespace
}  // namespace annalex::testing
