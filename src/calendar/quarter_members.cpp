// The quarter members: the quarters of a year, or the top quarters of the start year.

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "calendar/period_list.hpp"
#include "common/checked_int.hpp"
#include "common/numeric.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

bool CalendarBuilder::addQuarters(const cube::MemberRef& aParent, const Period& period) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function addQuarters(ByVal aParent As Member) As Boolean"};
    bool result = false;
    trap_.run(kLabels, [&] {
        if (upperBound(state_.quarterList) == 0) {
            return;
        }
        const cube::LevelRef top = support::topLevel(state_.theTimeDimension);
        cube::ObjectFactory& objects = support::require(state_.theTimeDimension).objects();
        calendar().split(period, PeriodKind::Quarter, quarters_);
        const Int16 last = upperBound(state_.quarterList);
        for (Int16 i = 0; i <= last; ++i) {
            const std::string& name = entryAt(state_.quarterList, i);
            if (name.empty()) {
                break;
            }
            // The lookup uses the bare name on the top level: it finds something only when
            // quarters are the top members themselves.
            if (support::nameTaken(top, name)) {
                continue;
            }
            const cube::MemberRef member = objects.newMember();
            support::require(member).putName(name);
            member->putOrder(i);
            if (!aParent) {
                top->addRootMember(member);
            } else {
                // Placed first, then given the year suffix when the range has several years.
                member->putParent(aParent);
                if (severalYears()) {
                    quarterName_.assign(name).append(state_.yearSuffix);
                    member->putName(quarterName_);
                }
            }
            const std::string number = decimalText(i);
            member->setAttribute("QuarterNumberInYear", number);
            member->setAttribute("QuarterNumberOfMonths", "3");
            member->setAttribute("QuarterNumberOfWeeks", "");
            member->setAttribute("QuarterNumberOfDays", "");
            member->setAttribute("QuarterQtrNo", number);
            // The list names the quarters the calendar gives, in order.
            const Period quarter = support::tableEntry(quarters_, i);
            if (describing()) {
                describeMember(*member, quarter);
            }
            handDown(kQuarterBit, member, quarter);
        }
        result = true;
    });
    return result;
}

}  // namespace annalex::calendar
