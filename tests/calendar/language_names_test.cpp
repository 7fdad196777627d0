// Month and weekday names in a chosen language: the CLDR names (the expected texts are taken by
// hand from the CLDR charts, not from ICU), the tags that are refused, and the names the
// builders write with a language chosen.

#include <gtest/gtest.h>

#include <chrono>

#include "calendar/calendar_names.hpp"
#include "calendar/holidays/holiday_calendar.hpp"
#include "calendar_test_support.hpp"

namespace annalex::testing {
namespace {

using calendar::NameContext;
using calendar::NameWidth;
using Names = std::vector<std::string>;
namespace chr = std::chrono;

TEST(LanguageNames, CldrNamesInEachWidthAndContext) {
    using enum NameWidth;
    using enum NameContext;
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
        {"de", Abbreviated, StandAlone, 3, "Mär", chr::Monday, "Mo"},
        {"de", Abbreviated, InDate, 9, "Sept.", chr::Monday, "Mo."},
        {"fr", Abbreviated, StandAlone, 2, "févr.", chr::Sunday, "dim."},
        {"es", Wide, InDate, 9, "septiembre", chr::Wednesday, "miércoles"},
        {"ja", Abbreviated, StandAlone, 12, "12月", chr::Saturday, "土"},
        {"pt-BR", Wide, StandAlone, 3, "março", chr::Monday, "segunda-feira"},
        // Russian months inflect inside a date.
        {"ru", Wide, StandAlone, 1, "январь", chr::Friday, "пятница"},
        {"ru", Wide, InDate, 1, "января", chr::Friday, "пятница"},
        {"en-GB", Abbreviated, StandAlone, 9, "Sept", chr::Thursday, "Thu"},
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
    // The tag, and what the message says.
    const std::pair<const char*, const char*> cases[] = {
        {"xx", "unknown language 'xx': ICU has no CLDR data for it"},
        // A region CLDR lacks is not quietly answered with the language's own names.
        {"en-UK", "unknown language 'en-UK': ICU has no CLDR data for it"},
        {"de_DE", "'de_DE' is not a language tag"},
        {"und", "'und' names no language"},
        {"", "'' names no language"},
    };
    for (const auto& [tag, message] : cases) {
        try {
            calendar::cldrNames(tag);
            ADD_FAILURE() << tag << " was accepted";
        } catch (const calendar::LanguageError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

// The languages a host offers are exactly those a tag is accepted for.
TEST(LanguageNames, EveryOfferedLanguageIsAccepted) {
    const auto languages = calendar::cldrLanguages();
    EXPECT_GT(languages.size(), 100u);
    for (const calendar::Language& language : languages) {
        EXPECT_NO_THROW(calendar::cldrNames(language.tag)) << language.tag;
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
        {"de", {.mask = 1 | 4, .monthFormat = 1}, "2001", {"Jan", "Feb", "Mär"}},
        {"ru",
         {.mask = 1 | 16, .dayFormat = 2, .monthFormat = 2},
         "2001",
         {"понедельник 1 января_2001"}},
        {"de", {.mask = 1 | 16, .dayFormat = 1}, "2001", {"Mo. 1 Jan._2001"}},
        {"fr", {.mask = 8 | 16, .dayFormat = 1}, "W1", {"dim._W1", "lun._W1"}},
        // Month numbers stay numbers.
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

// Holidays chosen before a language take its names too; a faulty tag changes nothing, and the
// empty tag brings back the built-in names.
TEST(LanguageNames, ChoosingALanguageRenamesHolidaysAndAFaultyTagChangesNothing) {
    ControlHarness harness;
    const auto newYear = chr::sys_days(chr::year(2021) / 1 / 1);
    ASSERT_EQ(harness.ctrl.setHolidays("de"), "");
    ASSERT_EQ(harness.ctrl.setLanguage("en"), "");
    EXPECT_EQ(harness.ctrl.state().holidays->nameOn(newYear), "New Year's Day");
    ASSERT_EQ(harness.ctrl.setLanguage("fr"), "");
    EXPECT_NE(harness.ctrl.setLanguage("xx"), "");
    EXPECT_EQ(harness.ctrl.state().monthNameTable[0], "janvier");
    EXPECT_EQ(harness.ctrl.state().holidays->nameOn(newYear), "Neujahr");  // no French names
    EXPECT_EQ(harness.ctrl.setLanguage(""), "");
    EXPECT_EQ(harness.ctrl.state().monthNameTable[0], "January");
    EXPECT_EQ(harness.ctrl.state().nameTable.month(1, NameWidth::Abbreviated, NameContext::InDate),
              "Jan");
}

}  // namespace
}  // namespace annalex::testing
