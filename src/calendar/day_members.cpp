// The day members: the days of a week, of a month, or of a year. Each day's name is joined
// with its parent's name before the day is placed.

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "common/checked_int.hpp"
#include "common/numeric.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

namespace {

enum class DayMode { None, Week, Month, Year };

DayMode modeBelow(PeriodKind parent) {
    switch (parent) {
        case PeriodKind::Week:
            return DayMode::Week;
        case PeriodKind::Month:
            return DayMode::Month;
        case PeriodKind::Year:
            return DayMode::Year;
        default:
            return DayMode::None;  // the page never hangs days below a quarter
    }
}

}  // namespace

bool CalendarBuilder::addDays(const cube::MemberRef& aParent, const Period& period) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function addDays(ByVal aParent As Member) As Boolean"};
    bool result = false;
    trap_.run(kLabels, [&] {
        const cube::LevelRef dayLevel = support::levelNamed(state_.theTimeDimension, "Day");
        cube::ObjectFactory& objects = support::require(state_.theTimeDimension).objects();
        const std::int16_t dayFormat = formats_.dayFormat();
        const std::int16_t monthFormat = formats_.monthFormat();

        const DayMode mode = modeBelow(period.kind);
        if (mode == DayMode::None) {
            days_.clear();
        } else {
            calendar().split(period, PeriodKind::Day, days_);
        }
        if (mode == DayMode::Year) {
            // The shared month-length table follows the year being built.
            state_.monthDayTable[1] = daysInMonth(state_.currentYear, 2);
        }

        state_.dayParentName = support::require(aParent).getName();
        const std::string& parentName = state_.dayParentName;

        for (std::size_t k = 0; k < days_.size(); ++k) {
            const Period& day = days_[k];
            const Int16 d = day.number;
            const std::int16_t weekday = weekdayOf(day.first);
            const std::string& weekdayName = support::tableEntry(state_.dayNameTable, weekday);
            // The lookup uses the whole weekday name below a week, the day's number otherwise.
            if (mode == DayMode::Week) {
                if (support::nameTaken(dayLevel, weekdayName)) {
                    continue;
                }
            } else {
                dayName_.clear();
                support::appendDecimal(dayName_, d);
                if (support::nameTaken(dayLevel, dayName_)) {
                    continue;
                }
            }

            const cube::MemberRef member = objects.newMember();
            cube::Member& dayMember = support::require(member);
            switch (mode) {
                case DayMode::Week:
                    dayMember.putName(state_.nameTable.weekday(weekday, widthOf(dayFormat),
                                                               NameContext::StandAlone));
                    break;
                case DayMode::Month:
                    dayMember.putName(dayName_);  // the day's number, as looked up
                    break;
                case DayMode::None:
                    break;
                case DayMode::Year: {
                    // Weekday, day of the month and month name, each step added to the
                    // member's current name: "Mon 1 Jan", the names as in a date.
                    const CivilDate date = civilDate(day.first);
                    dayMember.putName(
                        state_.nameTable.weekday(weekday, widthOf(dayFormat), NameContext::InDate));
                    dayName_ = dayMember.getName();
                    dayName_.push_back(' ');
                    support::appendDecimal(dayName_, date.day);
                    dayMember.putName(dayName_);
                    dayName_ = dayMember.getName();
                    dayName_.push_back(' ');
                    dayName_.append(state_.nameTable.month(date.month, widthOf(monthFormat),
                                                           NameContext::InDate));
                    dayMember.putName(dayName_);
                    break;
                }
            }
            dayMember.putOrder(d);
            if (!parentName.empty()) {
                // Below a month the parent's name comes first (Jan_1); otherwise the day's own
                // name does (Sun_Wk 5, Mon 1 Jan_2001).
                if (mode == DayMode::Month) {
                    support::joinDayName(dayJoined_, parentName, dayMember.getName());
                } else {
                    support::joinDayName(dayJoined_, dayMember.getName(), parentName);
                }
                dayMember.putName(dayJoined_);
            }
            dayMember.putParent(aParent);
            if (describing()) {
                describeMember(dayMember, day);
            }
        }
        result = true;
    });
    return result;
}

}  // namespace annalex::calendar
