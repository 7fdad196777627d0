// Evaluation of the rules: first every rule's own day in the years around the one asked for,
// then the observed days in the order of the days they move from, each one skipping the
// holidays already placed when its rule asks for a working day.

#include "calendar/holidays/holiday_dates.hpp"

#include <algorithm>

namespace annalex::calendar::holidays {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::weekday;

std::chrono::year_month_day easterSunday(int year) {
    // Anonymous Gregorian algorithm (Meeus/Jones/Butcher).
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return std::chrono::year(year) / static_cast<unsigned>(month) / static_cast<unsigned>(day);
}

std::optional<sys_days> ruleDay(const Rule& rule, int year) {
    if (year < rule.firstYear || year > rule.lastYear ||
        std::find(rule.exceptYears.begin(), rule.exceptYears.end(), year) !=
            rule.exceptYears.end()) {
        return std::nullopt;
    }
    const std::chrono::year y(year);
    const std::chrono::month m(rule.month);
    switch (rule.form) {
        case DayForm::Fixed:
        case DayForm::OneOff: {
            const std::chrono::year_month_day date = y / m / std::chrono::day(rule.day);
            if (!date.ok()) {
                return std::nullopt;
            }
            return sys_days(date);
        }
        case DayForm::NthWeekday: {
            if (rule.nth < 0) {
                return sys_days(y / m / std::chrono::weekday_last(rule.weekday));
            }
            const std::chrono::year_month_weekday date =
                y / m / rule.weekday[static_cast<unsigned>(rule.nth)];
            if (!date.ok()) {
                return std::nullopt;
            }
            return sys_days(date);
        }
        case DayForm::WeekdayBefore: {
            const sys_days before = sys_days(y / m / std::chrono::day(rule.day)) - days(1);
            return before - (weekday(before) - rule.weekday);
        }
        case DayForm::Easter:
            return sys_days(easterSunday(year)) + days(rule.offset);
    }
    return std::nullopt;
}

namespace {

struct Placed {
    sys_days day;
    std::size_t rule;
    bool observed;
};

bool taken(const std::vector<Placed>& placed, sys_days day) {
    return std::any_of(placed.begin(), placed.end(), [&](const Placed& p) { return p.day == day; });
}

// The day an observance moves `from` to.
sys_days observedDay(const Observance& observe, const Rule& rule, sys_days from,
                     const std::vector<Placed>& placed) {
    switch (observe.target) {
        case ObserveTarget::Weekday: {
            const int ahead = static_cast<int>((observe.weekday - weekday(from)).count());
            return from + days(ahead <= 3 ? ahead : ahead - 7);
        }
        case ObserveTarget::NextWorkingDay:
        case ObserveTarget::PreviousWorkingDay: {
            const days step(observe.target == ObserveTarget::NextWorkingDay ? 1 : -1);
            sys_days day = from + step;
            // A week of weekend days at most, and a handful of holidays: bounded.
            for (int guard = 0; guard < 366; ++guard) {
                if (!rule.weekend.has(weekday(day)) && !observe.from.has(weekday(day)) &&
                    !taken(placed, day)) {
                    break;
                }
                day += step;
            }
            return day;
        }
    }
    return from;
}

}  // namespace

std::vector<Holiday> holidaysIn(const RuleSet& rules, int year) {
    if (year < 1 || year > 9999) {
        return {};  // no rule holds a year outside 1 to 9999
    }
    // Observed days move at most a few days, so the neighbouring years' rules are enough to
    // find every holiday observed in this one.
    std::vector<Placed> placed;
    for (int y = year - 1; y <= year + 1; ++y) {
        for (std::size_t r = 0; r < rules.size(); ++r) {
            if (const auto day = ruleDay(rules[r], y)) {
                placed.push_back({*day, r, false});
            }
        }
    }
    const auto byDay = [](const Placed& a, const Placed& b) {
        return a.day != b.day ? a.day < b.day : a.rule < b.rule;
    };
    std::sort(placed.begin(), placed.end(), byDay);
    const std::size_t own = placed.size();
    for (std::size_t i = 0; i < own; ++i) {
        const Placed from = placed[i];
        const Rule& rule = rules[from.rule];
        for (const Observance& observe : rule.observances) {
            if (observe.from.has(weekday(from.day))) {
                placed.push_back({observedDay(observe, rule, from.day, placed), from.rule, true});
                break;
            }
        }
    }
    std::stable_sort(placed.begin(), placed.end(), byDay);

    std::vector<Holiday> out;
    for (const Placed& p : placed) {
        if (std::chrono::year_month_day(p.day).year() != std::chrono::year(year)) {
            continue;
        }
        Holiday holiday{p.day, rules[p.rule].name, p.observed};
        if (p.observed) {
            holiday.name += " (observed)";
        }
        out.push_back(std::move(holiday));
    }
    return out;
}

}  // namespace annalex::calendar::holidays
