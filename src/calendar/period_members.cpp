// The members of a calendar a host chose beyond the page's two. Unlike the page's builders,
// which keep the page's long-standing naming and range rules, these name every member from its
// period alone: years by their number, quarters, periods and weeks by their number, months by
// the calendar month that holds most of their days, days by their date. The range is every
// whole year of the calendar that holds a day from the start to the end date. The attribute
// filler and the date recording here serve the page's builders too.

#include <array>
#include <cstdio>

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "calendar/calendar_list.hpp"
#include "calendar/holidays/holiday_calendar.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

namespace {

struct KindLevel {
    LevelBit bit;
    PeriodKind kind;
    std::string_view level;
};

constexpr std::array kKindLevels = {
    KindLevel{kYearBit, PeriodKind::Year, "Year"},
    KindLevel{kQuarterBit, PeriodKind::Quarter, "Quarter"},
    KindLevel{kMonthBit, PeriodKind::Month, "Month"},
    KindLevel{kWeekBit, PeriodKind::Week, "Week"},
    KindLevel{kDayBit, PeriodKind::Day, "Day"},
};

// Numbered periods follow the month format as quarters and weeks do: "P3", "Per 3", "Period 3".
std::string_view periodPrefix(std::int16_t monthFormat) {
    switch (monthFormat) {
        case 0:
            return "P";
        case 1:
            return "Per ";
        case 2:
            return "Period ";
        default:
            return "";
    }
}

// The calendar month (1 to 12) that holds most days of period; the earlier one on a tie.
std::int32_t majorityMonth(const Period& period) {
    std::int32_t best = civilDate(period.first).month;
    std::int32_t bestDays = 0;
    Date from = period.first;
    while (from <= period.last) {
        const CivilDate date = civilDate(from);
        const Date monthEnd = civilDay(date.year, date.month, daysInMonth(date.year, date.month));
        const Date to = monthEnd < period.last ? monthEnd : period.last;
        const auto days = static_cast<std::int32_t>((to - from).count()) + 1;
        if (days > bestDays) {
            best = date.month;
            bestDays = days;
        }
        from = to + std::chrono::days(1);
    }
    return best;
}

// Weekday and month names are cut to three letters except in the full format 2.
std::string_view shortOrFull(std::string_view name, std::int16_t format) {
    return format == 2 ? name : support::firstThree(name);
}

// A day as an ISO date, "2021-01-02".
std::string isoDate(Date day) {
    const CivilDate date = civilDate(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", static_cast<int>(date.year),
                  static_cast<int>(date.month), static_cast<int>(date.day));
    return text;
}

std::string count(std::int64_t value) {
    std::string text;
    support::appendDecimal(text, value);
    return text;
}

std::int64_t daysOf(const Period& period) {
    return (period.last - period.first).count() + 1;
}

// The period of the list that holds day; nullptr when none does (a calendar without quarters
// or months).
const Period* holding(const std::vector<Period>& periods, Date day) {
    for (const Period& period : periods) {
        if (period.first <= day && day <= period.last) {
            return &period;
        }
    }
    return nullptr;
}

// The 1-based position of inner's first day counted in units of step days from outer's first.
std::int64_t positionIn(const Period& outer, Date first, std::int64_t step) {
    return (first - outer.first).count() / step + 1;
}

// The day that places a period in its year, quarter and month: a week's last, any other
// period's first.
Date placingDay(const Period& period) {
    return period.kind == PeriodKind::Week ? period.last : period.first;
}

// The first day of the seven-day week that holds day, weeks running on from anchor in both
// directions.
Date weekStartOf(Date day, Date anchor) {
    const std::int64_t offset = (day - anchor).count() % 7;
    return day - std::chrono::days(offset < 0 ? offset + 7 : offset);
}

// Whether day is neither a weekend day nor a holiday.
bool isWorkingDay(const CalendarState& state, Date day) {
    return !state.weekend.has(std::chrono::weekday(day)) &&
           !(state.holidays && state.holidays->isHoliday(day));
}

}  // namespace

void CalendarBuilder::fillContextFor(Date day) {
    if (fillContextValid_ && fillYear_.first <= day && day <= fillYear_.last) {
        return;
    }
    const Calendar& chosen = calendar();
    fillYear_ = chosen.year(yearNumberHolding(chosen, day));
    chosen.split(fillYear_, PeriodKind::Quarter, fillQuarters_);
    chosen.split(fillYear_, PeriodKind::Month, fillMonths_);
    chosen.split(fillYear_, PeriodKind::Week, fillWeeks_);
    fillWeekAnchor_ = fillWeeks_.empty() ? fillYear_.first : fillWeeks_.front().first;
    fillWorkingBefore_.clear();
    fillContextValid_ = true;
}

std::int64_t CalendarBuilder::workingDays(const Period& period) {
    // A period reaching outside the fill context's year is counted on its own.
    if (period.first < fillYear_.first || period.last > fillYear_.last) {
        std::int64_t days = 0;
        for (Date day = period.first; day <= period.last; day += std::chrono::days(1)) {
            days += isWorkingDay(state_, day) ? 1 : 0;
        }
        return days;
    }
    // The year, its quarters and its months all ask: each day of the year is tested once, and
    // every period of the year is then a difference of two running counts.
    if (fillWorkingBefore_.empty()) {
        fillWorkingBefore_.reserve(static_cast<std::size_t>(daysOf(fillYear_)) + 1);
        fillWorkingBefore_.push_back(0);
        for (Date day = fillYear_.first; day <= fillYear_.last; day += std::chrono::days(1)) {
            fillWorkingBefore_.push_back(fillWorkingBefore_.back() +
                                         (isWorkingDay(state_, day) ? 1 : 0));
        }
    }
    const auto offset = [&](Date day) {
        return static_cast<std::size_t>((day - fillYear_.first).count());
    };
    return fillWorkingBefore_[offset(period.last) + 1] - fillWorkingBefore_[offset(period.first)];
}

std::int64_t CalendarBuilder::weekCount(const Period& period) {
    calendar().split(period, PeriodKind::Week, fillWeekScratch_);
    return static_cast<std::int64_t>(fillWeekScratch_.size());
}

void CalendarBuilder::describeMember(cube::Member& member, const Period& period) {
    if (state_.fillAttributes) {
        fillContextFor(placingDay(period));
        fillPeriodAttributes(member, period);
    }
    if (state_.recordDates) {
        std::string key(kKindLevels[static_cast<std::size_t>(period.kind)].level);
        key.push_back('\t');
        key.append(member.getName());
        state_.memberDates[key] = {period.first, period.last};
        const std::string_view name = std::string_view(key).substr(key.find('\t') + 1);
        state_.placedDays.push_back(
            {static_cast<std::int32_t>(period.first.time_since_epoch().count()),
             static_cast<std::int32_t>(period.last.time_since_epoch().count()),
             std::hash<std::string_view>{}(name)});
    }
}

void CalendarBuilder::fillPeriodAttributes(cube::Member& member, const Period& period) {
    const Period& year = fillYear_;
    // A week belongs to the quarter and month of its last day, as the page shares weeks out;
    // in the week-based calendars no week crosses a month, so its first day gives the same.
    const Date placed = placingDay(period);
    const Period* quarter = holding(fillQuarters_, placed);
    const Period* month = holding(fillMonths_, placed);
    const auto put = [&](std::string_view key, const std::string& value) {
        member.setAttribute(key, value);
    };
    switch (period.kind) {
        case PeriodKind::Year:
            // Longer than a common year: 366 days, or 53 weeks.
            put("YearLeapYear", daysOf(period) > 365 ? "Yes" : "No");
            put("YearNumberOfDays", count(daysOf(period)));
            put("YearYearNo", count(period.number - periodFirstYear_));
            put("YearNumberOfWorkingDays", count(workingDays(period)));
            break;
        case PeriodKind::Quarter: {
            std::int64_t months = 0;
            for (const Period& m : fillMonths_) {
                months += m.first >= period.first && m.last <= period.last ? 1 : 0;
            }
            put("QuarterNumberInYear", count(period.number));
            put("QuarterNumberOfMonths", count(months));
            put("QuarterNumberOfWeeks", count(weekCount(period)));
            put("QuarterNumberOfDays", count(daysOf(period)));
            put("QuarterQtrNo", count(period.number));
            put("QuarterNumberOfWorkingDays", count(workingDays(period)));
            break;
        }
        case PeriodKind::Month:
            put("MonthNumberInYear", count(period.number));
            put("MonthNumberInQuarter",
                quarter ? count(period.number - holding(fillMonths_, quarter->first)->number + 1)
                        : "");
            put("MonthNumberOfWeeks", count(weekCount(period)));
            put("MonthNumberOfDays", count(daysOf(period)));
            put("MonthFstDayInMonth", isoDate(period.first));
            put("MonthLstDayInMonth", isoDate(period.last));
            put("MonthMonthNumber", count(period.number));
            put("MonthNumberOfWorkingDays", count(workingDays(period)));
            break;
        case PeriodKind::Week:
            put("WeekNumberInYear", count(period.number));
            put("WeekNumberInQuarter", quarter ? count(positionIn(*quarter, placed, 7)) : "");
            put("WeekNumberInMonth", month ? count(positionIn(*month, placed, 7)) : "");
            put("WeekNumberOfDays", count(daysOf(period)));
            put("WeekFstDayInWeek", isoDate(period.first));
            put("WeekLstDayInWeek", isoDate(period.last));
            put("WeekWeekNumber", count(period.number));
            break;
        case PeriodKind::Day: {
            const Date day = period.first;
            const Date weekFirst = weekStartOf(day, fillWeekAnchor_);
            const std::int16_t weekday = weekdayOf(day);
            put("DayNumberInYear", count(positionIn(year, day, 1)));
            put("DayNumberInQuarter", quarter ? count(positionIn(*quarter, day, 1)) : "");
            put("DayNumberInMonth", month ? count(positionIn(*month, day, 1)) : "");
            put("DayNumberInWeek", count((day - weekFirst).count() + 1));
            put("DayWeekday", state_.dayNameTable[weekday]);
            put("DayHoliday", state_.holidays ? state_.holidays->nameOn(day) : std::string());
            put("DayWeekend", state_.weekend.has(std::chrono::weekday(day)) ? "Yes" : "No");
            put("DayFstDayInWeek", isoDate(weekFirst));
            put("DayLstDayInWeek", isoDate(weekFirst + std::chrono::days(6)));
            put("DayFstDayInMonth", month ? isoDate(month->first) : "");
            put("DayLstDayInMonth", month ? isoDate(month->last) : "");
            put("DayFstDayInQuarter", quarter ? isoDate(quarter->first) : "");
            put("DayLstDayInQuarter", quarter ? isoDate(quarter->last) : "");
            put("DayFstDayInYear", isoDate(year.first));
            put("DayLstDayInYear", isoDate(year.last));
            put("DayDayNumber", count(civilDate(day).day));
            break;
        }
    }
}

void CalendarBuilder::periodName(const Period& period, std::string& out) const {
    const std::int16_t monthFormat = formats_.monthFormat();
    out.clear();
    switch (period.kind) {
        case PeriodKind::Year:
            support::appendDecimal(out, period.number);
            return;
        case PeriodKind::Quarter:
            out.assign(support::quarterPrefix(monthFormat));
            support::appendDecimal(out, period.number);
            break;
        case PeriodKind::Month:
            if (calendar_->monthNaming() == Calendar::MonthNaming::Numbered) {
                out.assign(periodPrefix(monthFormat));
                support::appendDecimal(out, period.number);
            } else {
                const std::int32_t month = majorityMonth(period);
                if (monthFormat == 0) {
                    support::appendDecimal(out, month);
                } else {
                    out.assign(shortOrFull(state_.monthNameTable[month - 1], monthFormat));
                }
            }
            break;
        case PeriodKind::Week:
            out.assign(support::weekPrefix(monthFormat));
            support::appendDecimal(out, period.number);
            break;
        case PeriodKind::Day: {
            // "Mon 4 Jan_2021": unique in any range, so it needs no year suffix.
            const CivilDate date = civilDate(period.first);
            out.assign(
                shortOrFull(state_.dayNameTable[weekdayOf(period.first)], formats_.dayFormat()));
            out.push_back(' ');
            support::appendDecimal(out, date.day);
            out.push_back(' ');
            out.append(shortOrFull(state_.monthNameTable[date.month - 1], monthFormat));
            out.push_back('_');
            support::appendDecimal(out, date.year);
            return;
        }
    }
    if (periodSeveralYears_) {
        out.append(periodSuffix_);
    }
}

void CalendarBuilder::addPeriodMember(const cube::MemberRef& parent, const Period& period,
                                      std::size_t levelIndex) {
    cube::ObjectFactory& objects = support::require(state_.theTimeDimension).objects();
    const cube::MemberRef member = objects.newMember();
    std::string name;
    periodName(period, name);
    support::require(member).putName(name);
    member->putOrder(period.kind == PeriodKind::Year ? period.number - periodFirstYear_
                                                     : period.number);
    if (!parent) {
        support::require(periodLevels_[levelIndex]).addRootMember(member);
    } else {
        member->putParent(parent);
    }
    if (describing()) {
        describeMember(*member, period);
    }
    const std::size_t below = levelIndex + 1;
    if (below == periodKinds_.size()) {
        return;
    }
    // Each level has its own list: the members below fill only the lists of lower levels.
    std::vector<Period>& children = periodLists_[below];
    calendar_->split(period, periodKinds_[below], children);
    for (const Period& child : children) {
        addPeriodMember(member, child, below);
    }
}

void CalendarBuilder::addPeriodMembers() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub addPeriodMembers()"};
    trap_.run(kLabels, [&] {
        const Calendar& chosen = calendar();
        periodKinds_.clear();
        periodLevels_.clear();
        for (const KindLevel& kind : kKindLevels) {
            if (state_.chosen(kind.bit)) {
                periodKinds_.push_back(kind.kind);
                periodLevels_.push_back(support::levelNamed(state_.theTimeDimension, kind.level));
            }
        }
        if (periodKinds_.empty()) {
            return;
        }
        periodLists_.assign(periodKinds_.size(), {});
        state_.memberDates.clear();
        state_.placedDays.clear();
        fillContextValid_ = false;
        const std::int32_t firstYear = yearNumberHolding(
            chosen, civilDay(state_.startDate.year, state_.startDate.month, state_.startDate.day));
        const std::int32_t lastYear = yearNumberHolding(
            chosen, civilDay(state_.endDate.year, state_.endDate.month, state_.endDate.day));
        periodFirstYear_ = firstYear;
        periodSeveralYears_ = lastYear > firstYear;
        std::vector<Period> tops;
        for (std::int32_t number = firstYear; number <= lastYear; ++number) {
            periodSuffix_ = support::yearSuffixText(number);
            const Period year = chosen.year(number);
            if (periodKinds_.front() == PeriodKind::Year) {
                addPeriodMember(nullptr, year, 0);
                continue;
            }
            chosen.split(year, periodKinds_.front(), tops);
            for (const Period& top : tops) {
                addPeriodMember(nullptr, top, 0);
            }
        }
    });
}

}  // namespace annalex::calendar
