// The driver of member generation and the year members.

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "calendar/period_list.hpp"
#include "common/checked_int.hpp"
#include "common/numeric.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

void CalendarBuilder::handDown(LevelBit level, const cube::MemberRef& member) {
    // The levels below, tested from the largest period to the smallest; the first chosen one
    // builds its members under member, and each of those hands down in turn.
    if (level < kQuarterBit && state_.chosen(kQuarterBit)) {
        addQuarters(member);
    } else if (level < kMonthBit && state_.chosen(kMonthBit)) {
        addMonths(member);
    } else if (level < kWeekBit && state_.chosen(kWeekBit)) {
        addWeeks(member);
    } else if (level < kDayBit && state_.chosen(kDayBit)) {
        addDays(member);
    }
}

void CalendarBuilder::addMembers() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub addMembers()"};
    trap_.run(kLabels, [&] {
        // Only the builder of the highest chosen level starts here; with no parent, a
        // sub-year builder makes top members.
        if (state_.chosen(kYearBit)) {
            addYears();
        } else {
            handDown(kYearBit, nullptr);
        }
    });
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
            state_.yearSuffix.assign("_").append(signedText(state_.currentYear));
            member->putOrder(i);
            const bool leap = LeapYear(name);
            top->addRootMember(member);
            member->setAttribute("YearLeapYear", leap ? "Yes" : "No");
            member->setAttribute("YearNumberOfDays", decimalText(YearNoDays(name)));
            member->setAttribute("YearYearNo", decimalText(i));
            handDown(kYearBit, member);
        }
    });
}

}  // namespace annalex::calendar
