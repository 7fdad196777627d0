// The members of a calendar a host chose beyond the page's two. Unlike the page's builders,
// which keep the page's long-standing naming and range rules, these name every member from its
// period alone: years by their number, quarters, periods and weeks by their number, months by
// the calendar month that holds most of their days, days by their date. The range is every
// whole year of the calendar that holds a day from the start to the end date. The date
// recording and the call of the attribute filler (filled_attributes.cpp) here serve the page's
// builders too.

#include <array>

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "calendar/calendar_list.hpp"

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

}  // namespace

void CalendarBuilder::describeMember(cube::Member& member, const Period& period) {
    if (state_.fillAttributes) {
        // A week is placed in its year by its last day, any other period by its first.
        fillContextFor(period.kind == PeriodKind::Week ? period.last : period.first);
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
                    out.assign(state_.nameTable.month(month, widthOf(monthFormat),
                                                      NameContext::StandAlone));
                }
            }
            break;
        case PeriodKind::Week:
            out.assign(support::weekPrefix(monthFormat));
            support::appendDecimal(out, period.number);
            break;
        case PeriodKind::Day: {
            // "Mon 4 Jan_2021": unique in any range, so it needs no year suffix; the names as
            // in a date.
            const CivilDate date = civilDate(period.first);
            out.assign(state_.nameTable.weekday(
                weekdayOf(period.first), widthOf(formats_.dayFormat()), NameContext::InDate));
            out.push_back(' ');
            support::appendDecimal(out, date.day);
            out.push_back(' ');
            out.append(
                state_.nameTable.month(date.month, widthOf(monthFormat), NameContext::InDate));
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
        forgetFillContext();
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
    // Also when a failure cut the generation short, the members made get their values.
    trap_.run(kLabels, [&] { flushFillRows(); });
}

}  // namespace annalex::calendar
