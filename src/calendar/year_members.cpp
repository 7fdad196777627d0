// The driver of member generation and the year members.

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "calendar/calendar_list.hpp"
#include "calendar/period_list.hpp"
#include "common/checked_int.hpp"
#include "common/numeric.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

const Calendar& CalendarBuilder::calendar() {
    // Made again whenever the calendar, its options or the start date changed since it was
    // made.
    const CalendarEntry& entry = chosenCalendar(state_.extendedCalendar, state_.gregorian);
    if (!calendar_ || calendarEntry_ != &entry || calendarStart_ != state_.startDate ||
        calendarOptions_ != state_.calendarOptions) {
        calendar_ = entry.make(toYearMonthDay(state_.startDate), state_.calendarOptions);
        calendarEntry_ = &entry;
        calendarStart_ = state_.startDate;
        calendarOptions_ = state_.calendarOptions;
    }
    return *calendar_;
}

void CalendarBuilder::handDown(LevelBit level, const cube::MemberRef& member,
                               const Period& period) {
    // The levels below, tested from the largest period to the smallest; the first chosen one
    // builds its members under member, and each of those hands down in turn.
    if (level < kQuarterBit && state_.chosen(kQuarterBit)) {
        addQuarters(member, period);
    } else if (level < kMonthBit && state_.chosen(kMonthBit)) {
        addMonths(member, period);
    } else if (level < kWeekBit && state_.chosen(kWeekBit)) {
        addWeeks(member, period);
    } else if (level < kDayBit && state_.chosen(kDayBit)) {
        addDays(member, period);
    }
}

void CalendarBuilder::addMembers() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub addMembers()"};
    trap_.run(kLabels, [&] {
        // Only the builder of the highest chosen level starts here; with no parent, a
        // sub-year builder makes top members for the periods of the start year.
        state_.memberDates.clear();
        state_.placedDays.clear();
        forgetFillContext();
        periodFirstYear_ = state_.startDate.year;
        if (state_.chosen(kYearBit)) {
            addYears();
        } else {
            handDown(kYearBit, nullptr, calendar().year(state_.startDate.year));
        }
    });
    // Also when a failure cut the generation short, the members made get their values.
    trap_.run(kLabels, [&] { flushFillRows(); });
}

void CalendarBuilder::addYears() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub addYears()"};
    trap_.run(kLabels, [&] {
        if (upperBound(state_.yearList) == 0) {
            return;
        }
        const cube::LevelRef top = support::topLevel(state_.theTimeDimension);
        cube::ObjectFactory& objects = support::require(state_.theTimeDimension).objects();
        const Int16 last = upperBound(state_.yearList);
        for (Int16 i = 0; i <= last; ++i) {
            const std::string& name = entryAt(state_.yearList, i);
            if (name.empty()) {
                break;
            }
            // A year already present is skipped with everything below it; its position still
            // counts for the years after it.
            if (support::nameTaken(top, name)) {
                continue;
            }
            const cube::MemberRef member = objects.newMember();
            support::require(member).putName(name);
            state_.currentYear = toInt32(name);
            state_.yearSuffix = support::yearSuffixText(state_.currentYear);
            member->putOrder(i);
            // Leap year and length follow the year's number, whatever months the calendar
            // gives the year.
            const bool leap = isLeapYear(state_.currentYear);
            top->addRootMember(member);
            member->setAttribute("YearLeapYear", leap ? "Yes" : "No");
            member->setAttribute("YearNumberOfDays", decimalText(daysInYear(state_.currentYear)));
            member->setAttribute("YearYearNo", decimalText(i));
            const Period year = calendar().year(state_.currentYear);
            if (describing()) {
                describeMember(*member, year);
            }
            handDown(kYearBit, member, year);
        }
    });
}

}  // namespace annalex::calendar
