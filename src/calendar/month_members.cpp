// The month members: the months of a quarter or a year, or the top months of the start year.
// A year that runs into the next calendar year moves the year suffix on where its calendar
// says.

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "calendar/period_list.hpp"
#include "common/checked_int.hpp"
#include "common/numeric.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

bool CalendarBuilder::addMonths(const cube::MemberRef& aParent, const Period& period) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function addMonths(ByVal aParent As Member) As Boolean"};
    bool result = false;
    trap_.run(kLabels, [&] {
        if (upperBound(state_.monthList) == 0) {
            return;
        }
        const cube::LevelRef top = support::topLevel(state_.theTimeDimension);
        cube::ObjectFactory& objects = support::require(state_.theTimeDimension).objects();
        // The selection cannot change while generation runs, so one reading serves every month.
        const std::int16_t format = formats_.monthFormat();

        calendar().split(period, PeriodKind::Month, months_);
        for (std::size_t k = 0; k < months_.size(); ++k) {
            const Period month = months_[k];
            // The position within the year: 0 for its first month.
            const Int16 p = month.number - 1;
            const std::int32_t calendarMonth = calendar().namedMonth(month);
            switch (format) {
                case 0:
                    monthName_.clear();
                    support::appendDecimal(monthName_, calendarMonth);
                    break;
                case 1:
                    monthName_.assign(state_.nameTable.month(calendarMonth, NameWidth::Abbreviated,
                                                             NameContext::StandAlone));
                    break;
                default:
                    monthName_.assign(state_.nameTable.month(calendarMonth, NameWidth::Wide,
                                                             NameContext::StandAlone));
                    break;
            }
            // The lookup uses the bare name on the top level.
            if (support::nameTaken(top, monthName_)) {
                continue;
            }
            const cube::MemberRef member = objects.newMember();
            support::require(member).putName(monthName_);
            member->putOrder(p);
            if (!aParent) {
                top->addRootMember(member);
            } else {
                member->putParent(aParent);
                if (severalYears()) {
                    // The new suffix stays for the rest of the year's months and what hangs
                    // below them, until the next year member sets its own.
                    if (calendar().movesYearSuffix(month)) {
                        state_.yearSuffix = support::yearSuffixText(Int32(state_.currentYear) + 1);
                    }
                    monthName_.append(state_.yearSuffix);
                    member->putName(monthName_);
                }
            }
            if (describing()) {
                describeMember(*member, month);
            }
            handDown(kMonthBit, member, month);
        }
        result = true;
    });
    return result;
}

}  // namespace annalex::calendar
