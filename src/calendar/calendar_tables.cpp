// The fixed tables (their names from the state's names provider), the leap-year helpers, the
// period-name lists and convertMonth (which reads the English month names typed in the boxes).

#include <array>
#include <vector>

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "calendar/period_list.hpp"
#include "common/checked_int.hpp"
#include "common/numeric.hpp"
#include "errors/guarded_split_line.hpp"

namespace annalex::calendar {
namespace {

using errors::kControlModule;
using errors::ProcedureLabels;

// The shared month-length table starts with a common year's lengths.
constexpr std::int32_t kCommonYear = 2001;
constexpr std::array<const char*, 12> kMonthAbbreviations = {
    "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

}  // namespace

void CalendarBuilder::monthNames() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub monthNames()"};
    trap_.run(kLabels, [&] {
        const CalendarNames& names = support::require(state_.names);
        for (unsigned month = 1; month <= state_.monthNameTable.size(); ++month) {
            state_.monthNameTable[month - 1] =
                names.month(month, NameWidth::Wide, NameContext::StandAlone);
        }
        state_.nameTable.fillMonths(names);
    });
}

void CalendarBuilder::monthDaysDef() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub monthDaysDef()"};
    trap_.run(kLabels, [&] {
        for (std::size_t i = 0; i < state_.monthDayTable.size(); ++i) {
            state_.monthDayTable[i] = daysInMonth(kCommonYear, static_cast<std::int32_t>(i) + 1);
        }
    });
}

void CalendarBuilder::dayNames() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub dayNames()"};
    trap_.run(kLabels, [&] {
        const CalendarNames& names = support::require(state_.names);
        state_.dayNameTable[0].clear();
        for (unsigned day = 0; day < 7; ++day) {
            state_.dayNameTable[day + 1] =
                names.weekday(std::chrono::weekday(day), NameWidth::Wide, NameContext::StandAlone);
        }
        state_.nameTable.fillWeekdays(names);
    });
}

bool CalendarBuilder::LeapYear(std::string_view aYear) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function LeapYear(aYear As String) As Boolean"};
    bool result = false;
    trap_.run(kLabels, [&] { result = isLeapYear(toInt32(aYear)); });
    return result;
}

std::int16_t CalendarBuilder::YearNoDays(std::string_view aYear) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function YearNoDays(aYear As String) As Integer"};
    std::int16_t result = 0;
    trap_.run(kLabels, [&] { result = LeapYear(aYear) ? 366 : 365; });
    return result;
}

void CalendarBuilder::generateYears() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub generateYears()"};
    trap_.run(kLabels, [&] {
        state_.yearList.assign(2, std::string());
        const Int16 start = state_.startDate.year;
        const Int16 span = Int16(state_.endDate.year) - start;
        state_.yearCount = 0;
        for (Int16 i = 0; i <= span; ++i) {
            state_.yearList.resize(static_cast<std::size_t>(i.value()) + 2);
            state_.yearList[static_cast<std::size_t>(i.value())] = decimalText(start + i);
            state_.yearCount = Int16(state_.yearCount) + Int16(1);
        }
    });
}

void CalendarBuilder::generateQuarters() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub generateQuarters()"};
    trap_.run(kLabels, [&] {
        const std::string prefix(support::quarterPrefix(formats_.monthFormat()));
        state_.quarterList.assign(2, std::string());
        for (std::int16_t i = 0; i <= 3; ++i) {
            state_.quarterList.resize(static_cast<std::size_t>(i) + 2);
            state_.quarterList[static_cast<std::size_t>(i)] = prefix + decimalText(i + 1);
        }
    });
}

void CalendarBuilder::generateMonths() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub generateMonths()"};
    trap_.run(kLabels, [&] {
        // The full names of the chosen calendar's months, from the first month of its year.
        std::vector<Period> months;
        calendar().split(calendar().year(state_.startDate.year), PeriodKind::Month, months);
        state_.monthList.assign(2, std::string());
        for (std::size_t k = 0; k < months.size(); ++k) {
            state_.monthList.resize(k + 2);
            state_.monthList[k] =
                support::tableEntry(state_.monthNameTable, calendar().namedMonth(months[k]) - 1);
        }
    });
}

std::string CalendarBuilder::convertMonth(std::string_view aMonth) {
    static constexpr ProcedureLabels kLabels{
        kControlModule, "Private Function convertMonth(aMonth As String) As String"};
    std::string result;
    trap_.run(kLabels, [&] {
        std::string head(aMonth.substr(0, 3));
        for (char& c : head) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        result = "0";
        for (std::size_t i = 0; i < kMonthAbbreviations.size(); ++i) {
            if (head == kMonthAbbreviations[i]) {
                result = decimalText(static_cast<std::int64_t>(i) + 1);
                break;
            }
        }
    });
    return result;
}

std::int16_t CalendarBuilder::splitLine(std::string_view line, std::string_view separator,
                                        LineFields& elements) {
    return errors::splitLine(trap_, line, separator, elements);
}

}  // namespace annalex::calendar
