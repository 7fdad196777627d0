// The built-in sets on days chosen for their traps, and a walk over every year from 1970 that
// checks each substitute lands on a free weekday.

#include <gtest/gtest.h>

#include <set>

#include "calendar/holidays/holiday_calendar.hpp"
#include "calendar/holidays/holiday_sets.hpp"
#include "holiday_test_support.hpp"

namespace annalex::testing {
namespace {

using namespace calendar::holidays;

struct Trap {
    const char* set;
    int year;
    unsigned month;
    unsigned day;
    std::string expected;  // the day's holiday names; empty: no holiday
};

TEST(BuiltinSets, TrapDaysHoldTheirHolidays) {
    const std::vector<Trap> traps = {
        // United States: 1 January 2022, a Saturday, is observed on Friday 31 December 2021.
        {"us", 2021, 12, 31, "New Year's Day (observed)"},
        {"us", 2020, 6, 19, ""},
        {"us", 2021, 6, 18, "Juneteenth National Independence Day (observed)"},
        {"us", 1970, 5, 29, "Memorial Day (observed)"},
        {"us", 1977, 10, 24, "Veterans Day"},
        {"us", 1977, 11, 11, ""},
        {"us", 1978, 11, 10, "Veterans Day (observed)"},
        {"us", 1986, 1, 20, "Birthday of Martin Luther King, Jr."},
        {"us", 2021, 1, 20, ""},  // Inauguration Day is no federal holiday
        // England and Wales: Christmas Day and Boxing Day both on a weekend.
        {"gb-eng", 2021, 12, 27, "Christmas Day (observed)"},
        {"gb-eng", 2021, 12, 28, "Boxing Day (observed)"},
        {"gb-eng", 2022, 12, 26, "Boxing Day"},
        {"gb-eng", 2022, 12, 27, "Christmas Day (observed)"},
        {"gb-eng", 2022, 1, 3, "New Year's Day (observed)"},
        {"gb-eng", 1973, 1, 1, ""},
        {"gb-eng", 1974, 1, 1, "New Year's Day"},
        {"gb-eng", 2016, 3, 25, "Good Friday"},
        {"gb-eng", 2011, 4, 29, "Wedding of Prince William and Catherine Middleton"},
        {"gb-eng", 2020, 5, 4, ""},
        {"gb-eng", 2020, 5, 8, "Early May bank holiday (VE Day)"},
        {"gb-eng", 2022, 6, 2, "Spring bank holiday"},
        {"gb-eng", 2022, 6, 3, "Platinum Jubilee of Elizabeth II"},
        // Germany: 17 June until 1990, 3 October from 1990; repentance day 1981 to 1994.
        {"de", 1990, 6, 17, "Tag der deutschen Einheit"},
        {"de", 1990, 10, 3, "Tag der Deutschen Einheit"},
        {"de", 1980, 11, 19, ""},
        {"de", 1981, 11, 18, "Buß- und Bettag"},
        {"de", 1995, 11, 22, ""},
        {"de", 2017, 10, 31, "Reformationstag"},
        {"de", 2008, 5, 1, "Tag der Arbeit, Christi Himmelfahrt"},
        {"de", 2021, 12, 25, "1. Weihnachtstag"},  // a Saturday, not moved
        // France: 8 May again from 1982; no substitutes.
        {"fr", 1981, 5, 8, ""},
        {"fr", 1982, 5, 8, "Victoire 1945"},
    };
    std::map<std::string, HolidayCalendar> sets;
    for (const Trap& trap : traps) {
        auto found = sets.find(trap.set);
        if (found == sets.end()) {
            found = sets.emplace(trap.set, HolidayCalendar(loadHolidays(trap.set))).first;
        }
        EXPECT_EQ(found->second.nameOn(isoDate(trap.year, trap.month, trap.day)), trap.expected)
            << trap.set << " " << isoText(isoDate(trap.year, trap.month, trap.day));
    }
}

// The German and French sets are named in their country's language and carry English names
// too, for every rule.
TEST(BuiltinSets, GermanAndFrenchSetsHaveEnglishNames) {
    for (const char* set : {"de", "fr"}) {
        for (const Rule& rule : loadHolidays(set)) {
            EXPECT_NE(nameIn(rule, "en"), rule.name) << set << " " << rule.name;
        }
    }
}

// Where holidays move, each one gives exactly one weekday off: a substitute that landed on a
// weekend or on another holiday would lose a day.
TEST(BuiltinSets, EveryHolidayGivesOneWeekdayOff) {
    for (const char* set : {"us", "gb-eng"}) {
        const RuleSet rules = loadHolidays(set);
        std::size_t own = 0;
        std::set<std::chrono::sys_days> weekdaysOff;
        for (int year = 1970; year <= 2099; ++year) {
            for (const Holiday& holiday : holidaysIn(rules, year)) {
                const std::chrono::weekday day(holiday.day);
                if (!holiday.observed) {
                    ++own;
                }
                if (day != std::chrono::Saturday && day != std::chrono::Sunday) {
                    weekdaysOff.insert(holiday.day);
                }
            }
        }
        EXPECT_EQ(weekdaysOff.size(), own) << set;
    }
}

}  // namespace
}  // namespace annalex::testing
