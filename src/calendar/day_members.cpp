// The day members: the seven days of a week, the days of a month, or every day of a year.
// Each day's name is joined with its parent's name before the day is placed.

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "common/checked_int.hpp"
#include "common/numeric.hpp"

namespace annalex::calendar {

using errors::kControlModule;
using errors::ProcedureLabels;

namespace {

enum class DayMode { None, Week, Month, Year };

// The days of a month of a year whose February has febDays days.
std::int16_t daysInMonth(std::int16_t month, std::int16_t febDays) {
    switch (month) {
        case 1:
        case 3:
        case 5:
        case 7:
        case 8:
        case 10:
        case 12:
            return 31;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            return febDays;
        default:
            return 0;  // a name that gives no month has no days
    }
}

// Weekday and month names are cut to three letters except in the full format 2.
std::string_view shortOrFull(std::string_view name, std::int16_t format) {
    return format == 2 ? name : support::firstThree(name);
}

}  // namespace

bool CalendarBuilder::addDays(const cube::MemberRef& aParent) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function addDays(ByVal aParent As Member) As Boolean"};
    bool result = false;
    trap_.run(kLabels, [&] {
        const cube::LevelRef dayLevel = support::levelNamed(state_.theTimeDimension, "Day");
        cube::ObjectFactory& objects = support::require(state_.theTimeDimension).objects();
        const std::int16_t dayFormat = formats_.dayFormat();
        const std::int16_t monthFormat = formats_.monthFormat();

        DayMode mode = DayMode::None;
        Int16 count = 0;
        // Year mode walks the calendar: weekday, month index and days passed in the month.
        Int16 weekday = 0;
        Int16 monthIndex = 0;
        Int16 daysPassed = 0;
        if (state_.chosen(kWeekBit)) {
            mode = DayMode::Week;
            count = 7;
        } else if (state_.chosen(kMonthBit)) {
            mode = DayMode::Month;
            std::int16_t month = 0;
            if (!monthOfName(support::require(aParent).getName(), monthFormat, month)) {
                return;
            }
            // February follows the year member's number, also when a fiscal year places it in
            // the next calendar year.
            const bool leap = month == 2 && LeapYear(decimalText(state_.currentYear));
            count = daysInMonth(month, leap ? 29 : 28);
        } else if (state_.chosen(kYearBit)) {
            mode = DayMode::Year;
            const bool leap = LeapYear(decimalText(state_.currentYear));
            count = leap ? 366 : 365;
            state_.monthDayTable[1] = leap ? 29 : 28;
            weekday = weekdayNumber(state_.currentYear);
        }

        state_.dayParentName = support::require(aParent).getName();
        const std::string& parentName = state_.dayParentName;

        for (Int16 d = 1; d <= count; ++d) {
            // The lookup uses the whole weekday name below a week, the day's number otherwise.
            if (mode == DayMode::Week) {
                if (support::nameTaken(dayLevel, support::tableEntry(state_.dayNameTable, d))) {
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
            cube::Member& day = support::require(member);
            switch (mode) {
                case DayMode::Week:
                    day.putName(
                        shortOrFull(support::tableEntry(state_.dayNameTable, d), dayFormat));
                    break;
                case DayMode::Month:
                    day.putName(dayName_);  // the day's number, as looked up
                    break;
                case DayMode::None:
                    break;  // no days are counted without a parent level
                case DayMode::Year:
                    // Weekday, day of the month and month name, each step added to the
                    // member's current name: "Mon 1 Jan".
                    day.putName(
                        shortOrFull(support::tableEntry(state_.dayNameTable, weekday), dayFormat));
                    dayName_ = day.getName();
                    dayName_.push_back(' ');
                    support::appendDecimal(dayName_, daysPassed + 1);
                    day.putName(dayName_);
                    dayName_ = day.getName();
                    dayName_.push_back(' ');
                    dayName_.append(shortOrFull(
                        support::tableEntry(state_.monthNameTable, monthIndex), monthFormat));
                    day.putName(dayName_);
                    weekday = weekday == 7 ? Int16(1) : weekday + 1;
                    ++daysPassed;
                    if (daysPassed == support::tableEntry(state_.monthDayTable, monthIndex)) {
                        ++monthIndex;
                        daysPassed = 0;
                    }
                    break;
            }
            day.putOrder(d);
            if (!parentName.empty()) {
                // Below a month the parent's name comes first (Jan_1); otherwise the day's own
                // name does (Sun_Wk 5, Mon 1 Jan_2001).
                if (mode == DayMode::Month) {
                    dayJoined_.assign(parentName).push_back('_');
                    dayJoined_.append(day.getName());
                } else {
                    dayJoined_ = day.getName();
                    dayJoined_.push_back('_');
                    dayJoined_.append(parentName);
                }
                day.putName(dayJoined_);
            }
            day.putParent(aParent);
        }
        result = true;
    });
    return result;
}

}  // namespace annalex::calendar
