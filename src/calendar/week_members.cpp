// The week members of a month, a quarter or a year, or the top weeks of the start year. Which
// weeks belong to a period is the calendar's answer.

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "common/checked_int.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

bool CalendarBuilder::addWeeks(const cube::MemberRef& aParent, const Period& period) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function addWeeks(ByVal aParent As Member) As Boolean"};
    bool result = false;
    trap_.run(kLabels, [&] {
        const cube::LevelRef top = support::topLevel(state_.theTimeDimension);
        cube::ObjectFactory& objects = support::require(state_.theTimeDimension).objects();
        const std::string_view prefix = support::weekPrefix(formats_.monthFormat());

        calendar().split(period, PeriodKind::Week, weeks_);
        for (std::size_t k = 0; k < weeks_.size(); ++k) {
            const Period week = weeks_[k];
            const Int16 w = week.number;
            weekName_.assign(prefix);
            support::appendDecimal(weekName_, w);
            if (support::nameTaken(top, weekName_)) {
                continue;
            }
            const cube::MemberRef member = objects.newMember();
            support::require(member).putName(weekName_);
            member->putOrder(w);
            if (!aParent) {
                top->addRootMember(member);
            } else {
                member->putParent(aParent);
                if (severalYears()) {
                    weekName_ = member->getName();
                    weekName_.append(state_.yearSuffix);
                    member->putName(weekName_);
                }
            }
            if (describing()) {
                describeMember(*member, week);
            }
            handDown(kWeekBit, member, week);
        }
        result = true;
    });
    return result;
}

}  // namespace annalex::calendar
