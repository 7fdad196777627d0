// Evaluation of the rules: first every rule's own day in the years around the one asked for,
// then the observed days in one pass in the order of the days they move from, each one
// skipping the holidays already placed when its rule asks for a working day.

#include "calendar/holidays/holiday_dates.hpp"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <utility>

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

// How far from its year a rule's own day can lie: an Easter offset, or a weekday before 1
// January.
constexpr days kRuleReach(210);

// The days an observance may be moved to: the evaluated years and the reach of their rules
// around them. A search for a working day that leaves them can only end beyond the year asked
// for, so it is dropped.
//
// Each search finds the first day from a start, forward or backward, that is free: not taken
// by a holiday and not on a weekday the search excludes (the rule's weekend and the days it
// moves from). Days only ever become taken, so each kind of search (its direction and excluded
// weekdays) keeps a chain that skips the days found unfree, with path compression: every
// search costs little more than the days it skips for the first time.
class FreeDays {
  public:
    FreeDays(sys_days first, sys_days last)
        : first_(first),
          count_(static_cast<std::size_t>((last - first).count()) + 1),
          taken_(count_, false) {}

    void take(sys_days day) {
        if (inside(day)) {
            taken_[index(day)] = true;
        }
    }

    // The first free day after (step +1) or before (step -1) from; none when the search leaves
    // the days kept.
    std::optional<sys_days> search(sys_days from, int step, WeekdaySet excluded) {
        const sys_days start = from + days(step);
        if (!inside(start)) {
            return std::nullopt;
        }
        std::vector<std::size_t>& chain = chainFor(step, excluded);
        std::size_t slot = slotOf(index(start), step);
        while (true) {
            slot = find(chain, slot);
            if (slot == count_) {
                return std::nullopt;
            }
            const std::size_t i = step > 0 ? slot : count_ - 1 - slot;
            const sys_days day = first_ + days(static_cast<std::int64_t>(i));
            if (!taken_[i] && !excluded.has(weekday(day))) {
                return day;
            }
            chain[slot] = slot + 1;  // never free again for this kind of search
        }
    }

  private:
    bool inside(sys_days day) const {
        return day >= first_ && static_cast<std::size_t>((day - first_).count()) < count_;
    }
    std::size_t index(sys_days day) const {
        return static_cast<std::size_t>((day - first_).count());
    }
    // Slots run in the search's direction; slot count_ stands past the last day.
    std::size_t slotOf(std::size_t i, int step) const { return step > 0 ? i : count_ - 1 - i; }

    std::vector<std::size_t>& chainFor(int step, WeekdaySet excluded) {
        std::vector<std::size_t>& chain = chains_[{step > 0, excluded.bits}];
        if (chain.empty()) {
            chain.resize(count_ + 1);
            for (std::size_t slot = 0; slot <= count_; ++slot) {
                chain[slot] = slot;
            }
        }
        return chain;
    }

    static std::size_t find(std::vector<std::size_t>& chain, std::size_t slot) {
        std::size_t root = slot;
        while (chain[root] != root) {
            root = chain[root];
        }
        while (chain[slot] != root) {
            slot = std::exchange(chain[slot], root);
        }
        return root;
    }

    sys_days first_;
    std::size_t count_;
    std::vector<bool> taken_;
    std::map<std::pair<bool, std::uint8_t>, std::vector<std::size_t>> chains_;
};

// The day an observance moves `from` to; none when it lands outside the days kept.
std::optional<sys_days> observedDay(const Observance& observe, const Rule& rule, sys_days from,
                                    FreeDays& free) {
    switch (observe.target) {
        case ObserveTarget::Weekday: {
            const int ahead = static_cast<int>((observe.weekday - weekday(from)).count());
            return from + days(ahead <= 3 ? ahead : ahead - 7);
        }
        case ObserveTarget::NextWorkingDay:
        case ObserveTarget::PreviousWorkingDay:
            return free.search(
                from, observe.target == ObserveTarget::NextWorkingDay ? 1 : -1,
                WeekdaySet{static_cast<std::uint8_t>(rule.weekend.bits | observe.from.bits)});
    }
    return from;
}

}  // namespace

std::vector<Holiday> holidaysIn(const RuleSet& rules, int year) {
    if (year < kFirstHolidayYear || year > kLastHolidayYear) {
        return {};
    }
    const sys_days newYear = std::chrono::year(year) / 1 / 1;
    const sys_days yearEnd = std::chrono::year(year) / 12 / 31;
    const sys_days first = newYear - days(366) - kRuleReach;
    const sys_days last = yearEnd + days(366) + kRuleReach;
    const auto indexOf = [first](sys_days day) {
        return static_cast<std::size_t>((day - first).count());
    };
    // Observed days move at most a few days, or past the holidays of a stretch of days, so the
    // neighbouring years' rules are enough to find every holiday observed in this one. Rule by
    // rule, so that each day's holidays come in rule order.
    std::vector<Placed> found;
    for (std::size_t r = 0; r < rules.size(); ++r) {
        for (int y = std::max(year - 1, kFirstHolidayYear);
             y <= std::min(year + 1, kLastHolidayYear); ++y) {
            if (const auto day = ruleDay(rules[r], y); day && *day >= first && *day <= last) {
                found.push_back({*day, r, false});
            }
        }
    }
    // Sorted by day, counting the holidays of each day: linear, and rule order kept.
    std::vector<std::size_t> start(indexOf(last) + 2, 0);
    for (const Placed& p : found) {
        ++start[indexOf(p.day) + 1];
    }
    for (std::size_t i = 1; i < start.size(); ++i) {
        start[i] += start[i - 1];
    }
    std::vector<Placed> own(found.size());
    for (const Placed& p : found) {
        own[start[indexOf(p.day)]++] = p;
    }

    // In the order of the days they move from, each skipping those placed before it.
    FreeDays free(first, last);
    for (const Placed& p : own) {
        free.take(p.day);
    }
    std::vector<Placed> observed;
    for (const Placed& from : own) {
        const Rule& rule = rules[from.rule];
        for (const Observance& observe : rule.observances) {
            if (observe.from.has(weekday(from.day))) {
                if (const auto day = observedDay(observe, rule, from.day, free)) {
                    free.take(*day);
                    if (*day >= newYear && *day <= yearEnd) {
                        observed.push_back({*day, from.rule, true});
                    }
                }
                break;
            }
        }
    }

    // This year's own and observed days by day, then rule; a rule's own day before its
    // observed one.
    const auto byDay = [](const Placed& a, const Placed& b) {
        return a.day != b.day ? a.day < b.day : a.rule < b.rule;
    };
    std::sort(observed.begin(), observed.end(), byDay);
    const auto ownFirst = std::lower_bound(own.begin(), own.end(), newYear,
                                           [](const Placed& p, sys_days d) { return p.day < d; });
    const auto ownEnd = std::upper_bound(ownFirst, own.end(), yearEnd,
                                         [](sys_days d, const Placed& p) { return d < p.day; });
    std::vector<Placed> placed;
    placed.reserve(static_cast<std::size_t>(ownEnd - ownFirst) + observed.size());
    std::merge(ownFirst, ownEnd, observed.begin(), observed.end(), std::back_inserter(placed),
               byDay);

    std::vector<Holiday> out;
    out.reserve(placed.size());
    for (const Placed& p : placed) {
        Holiday holiday{p.day, rules[p.rule].name, p.observed};
        if (p.observed) {
            holiday.name += " (observed)";
        }
        out.push_back(std::move(holiday));
    }
    return out;
}

}  // namespace annalex::calendar::holidays
