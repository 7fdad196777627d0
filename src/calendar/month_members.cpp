// The month members: the three months of a quarter, the twelve of a year, or twelve top
// months. A fiscal year moves the year suffix on at its January.

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "calendar/period_list.hpp"
#include "common/checked_int.hpp"
#include "common/numeric.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

bool CalendarBuilder::addMonths(const cube::MemberRef& aParent) {
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

        // Below a quarter only its three months: the quarter's number follows the prefix.
        Int16 first = 0;
        Int16 lastPosition = 11;
        if (state_.chosen(kQuarterBit)) {
            const std::string_view prefix = support::quarterPrefix(format);
            const Int16 length = Int16(prefix.size()) + 1;
            const std::string parentName = support::require(aParent).getName();
            const std::string_view head =
                std::string_view(parentName).substr(0, static_cast<std::size_t>(length.value()));
            for (std::int16_t quarter = 1; quarter <= 4; ++quarter) {
                if (head.size() == prefix.size() + 1 && head.starts_with(prefix) &&
                    head.back() == static_cast<char>('0' + quarter)) {
                    first = Int16(quarter - 1) * 3;
                    lastPosition = first + 2;
                    break;
                }
            }
        }

        for (Int16 p = first; p <= lastPosition; ++p) {
            const std::string& full = entryAt(state_.monthList, p);
            if (full.empty()) {
                break;
            }
            switch (format) {
                case 0:
                    monthName_ = convertMonth(full);
                    break;
                case 1:
                    monthName_.assign(support::firstThree(full));
                    break;
                default:
                    monthName_.assign(full);
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
                if (state_.yearCount > 1) {
                    // From the fiscal year's January on, its months lie in the next calendar
                    // year; the new suffix stays until the next year member sets its own.
                    if (!state_.gregorian && p == 13 - Int16(state_.startDate.month)) {
                        state_.yearSuffix.assign("_").append(
                            signedText(Int32(state_.currentYear) + 1));
                    }
                    monthName_.append(state_.yearSuffix);
                    member->putName(monthName_);
                }
            }
            handDown(kMonthBit, member);
        }
        result = true;
    });
    return result;
}

}  // namespace annalex::calendar
