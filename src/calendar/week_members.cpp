// The week members of a month, a quarter or a year, or the top weeks. Which weeks belong to a
// parent follows from the parent's name and the week numbering of the start date's year.

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "common/checked_int.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

// Weeks above 52 are never made: the last days of a year that reach week 53 or 54 belong to
// no week member.
constexpr std::int16_t kLastWeek = 52;

bool CalendarBuilder::monthOfName(std::string_view name, std::int16_t monthFormat,
                                  std::int16_t& month) {
    month = 0;
    if (monthFormat == 0) {
        if (splitLine(name, "_", fields_) == 0) {
            return false;
        }
        month = support::monthMatching(fields_[1], support::kMonthNumbers);
    } else {
        month = support::monthMatching(support::firstThree(name), support::kMonthHeads);
    }
    return true;
}

bool CalendarBuilder::addWeeks(const cube::MemberRef& aParent) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function addWeeks(ByVal aParent As Member) As Boolean"};
    bool result = false;
    trap_.run(kLabels, [&] {
        const cube::LevelRef top = support::topLevel(state_.theTimeDimension);
        cube::ObjectFactory& objects = support::require(state_.theTimeDimension).objects();
        const Int16 shift = calculateWeekShift();
        const std::int16_t format = formats_.monthFormat();
        // Every year of the range takes its weeks from the start date's year.
        const std::int16_t year = state_.startDate.year;
        auto weekOfMonth = [&](Int16 month) { return Int16(weekNumber(year, month, 1, shift)); };

        // The first week of the parent's period and the first week of the period after it.
        Int16 first = 0;
        Int16 next = 0;
        Int16 last = 0;
        bool closedByNext = true;
        if (state_.chosen(kMonthBit)) {
            std::int16_t month = 0;
            if (!monthOfName(support::require(aParent).getName(), format, month)) {
                return;
            }
            if (month != 0) {
                first = weekOfMonth(month);
                next = weekOfMonth(month == 12 ? Int16(1) : Int16(month) + 1);
            }
        } else if (state_.chosen(kQuarterBit)) {
            const std::string_view prefix = support::quarterPrefix(format);
            const std::string parentName = support::require(aParent).getName();
            // The quarter's digit is the one character after the prefix.
            const char digit = parentName.size() > prefix.size() ? parentName[prefix.size()] : '\0';
            const Int16 base = state_.gregorian ? std::int16_t{1} : state_.startDate.month;
            if (digit >= '1' && digit <= '4') {
                const Int16 offset = Int16(digit - '1') * 3;
                first = weekOfMonth(base + offset);
                next = weekOfMonth(base + offset + 3);
            }
        } else if (state_.chosen(kYearBit)) {
            first = 1;
            last = kLastWeek;
            closedByNext = false;
        } else {
            // Top weeks (no parent level) run from 1 to 52.
            first = 1;
        }
        if (closedByNext) {
            // A period over the turn of the year (December, the fourth quarter, the last month
            // of a fiscal year) is followed by week 1 again, so it runs to week 52.
            last = next - 1;
            if (last < first) {
                last = kLastWeek;
            }
        }

        const std::string_view prefix = support::weekPrefix(format);
        for (Int16 w = first; w <= last; ++w) {
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
                if (state_.yearCount > 1) {
                    weekName_ = member->getName();
                    weekName_.append(state_.yearSuffix);
                    member->putName(weekName_);
                }
            }
            handDown(kWeekBit, member);
        }
        result = true;
    });
    return result;
}

}  // namespace annalex::calendar
