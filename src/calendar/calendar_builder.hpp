#pragma once
// The procedures of the calendar step that work on its shared state: the fixed tables, the
// leap-year helpers, the period-name lists, the level schema and the member builders.
//
// Every procedure names itself with its declaration line and the module "AnnalexCtrl" and runs
// its body under the procedure trap: an unexpected failure is reported and the procedure
// returns normally with whatever its result held (false for the builders, 0 for the week
// numbering, an empty string for convertMonth).
//
// Members are built depth-first: addMembers starts the builder of the highest chosen level,
// and each builder asks the chosen calendar (made for the stored start date) for
// the periods of its kind in its parent's period, names, positions and places one member per
// period, sets its attributes, and at once calls the builder of the next chosen level below
// with that member and its period. With no parent member, a builder makes top members for the
// periods of the start year.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/calendar.hpp"
#include "calendar/calendar_state.hpp"
#include "calendar/value_text.hpp"
#include "common/split_line.hpp"
#include "cube/attribute_rows.hpp"
#include "cube/cube_model.hpp"
#include "errors/procedure_trap.hpp"

namespace annalex::calendar {

class CalendarBuilder {
  public:
    CalendarBuilder(CalendarState& state, const FormatSelection& formats,
                    errors::ProcedureTrap& trap)
        : state_(state), formats_(formats), trap_(trap) {}

    // Tables, filled once at start-up in this order.
    void monthNames();
    void monthDaysDef();
    void dayNames();

    // The Gregorian leap-year rule for a year given as text ("2000"); the builders and checks
    // use isLeapYear (dates.hpp) on numbers.
    bool LeapYear(std::string_view aYear);
    // 366 or 365.
    std::int16_t YearNoDays(std::string_view aYear);

    // The period-name lists, rebuilt at each generation whose level is chosen.
    void generateYears();
    void generateQuarters();
    void generateMonths();

    // The month number ("1" to "12") of a name's first three letters, any case; "0" otherwise.
    std::string convertMonth(std::string_view aMonth);

    // The level schema: hierarchy "Period" and one level per chosen kind.
    void addLevels();
    // Member generation from the highest chosen level.
    void addMembers();
    void addYears();
    // Each makes the members of the periods of its kind in period, below aParent (none for
    // top members).
    bool addQuarters(const cube::MemberRef& aParent, const Period& period);
    bool addMonths(const cube::MemberRef& aParent, const Period& period);
    bool addWeeks(const cube::MemberRef& aParent, const Period& period);
    bool addDays(const cube::MemberRef& aParent, const Period& period);

    // Member generation for a calendar a host chose beyond the page's two: every whole year of
    // the calendar that holds a day from the start to the end date, and below (or, without
    // Year, as top members) the periods of every chosen level, named from the periods alone.
    void addPeriodMembers();

    // The calendar of the chosen type for the stored start date.
    const Calendar& calendar();

    // The step's week numbering (weeks begin on Sunday; week 1 holds 1 January), on the same
    // rules the page's calendars use; the builders take their weeks from the calendar.
    std::int16_t calculateWeekShift();
    std::int16_t weekNumber(std::int16_t aYear, std::int16_t aMonth, std::int16_t aDay,
                            std::int16_t shift);
    std::int16_t weekdayNumber(std::int32_t aYear);

    // splitLine under the trap of the shared module.
    std::int16_t splitLine(std::string_view line, std::string_view separator, LineFields& elements);

  private:
    // Calls the builder of the first chosen level below level with member and its period as
    // parent; nothing when no level below is chosen.
    void handDown(LevelBit level, const cube::MemberRef& member, const Period& period);
    // One member of addPeriodMembers for period below parent (none: a top member), then the
    // members of the chosen levels below it.
    void addPeriodMember(const cube::MemberRef& parent, const Period& period,
                         std::size_t levelIndex);
    void periodName(const Period& period, std::string& out) const;
    // Whether members get their attributes filled or their dates recorded.
    bool describing() const { return state_.fillAttributes || state_.recordDates; }
    // Fills member's attributes from period and records its first and last day under its level
    // and its final name, each as the state asks. Every builder calls it once per member, after
    // the member's name is final.
    void describeMember(cube::Member& member, const Period& period);
    // Makes the fill context the year of the calendar that holds day, with its quarters,
    // months and the first day of its first week.
    void fillContextFor(Date day);
    // Forgets the fill context and what the fill rows learned, as a generation starts.
    void forgetFillContext();
    // Adds the filled rows that wait (cube/attribute_rows.hpp), as a generation ends.
    void flushFillRows();
    // Every attribute of the member's level, from its period and the quarters and months of
    // the calendar's year that holds its first day (docs/attributes.md).
    void fillPeriodAttributes(cube::Member& member, const Period& period);
    // The days of period that are neither a weekend day nor a holiday; each day of the fill
    // context's year is tested once, on the first call for a period inside it.
    std::int64_t workingDays(const Period& period);
    // The weeks the calendar gives period: the week members a Week level puts below it.
    std::int64_t weekCount(const Period& period);

    // Names below a year carry the year suffix when the range holds more than one year.
    bool severalYears() const { return state_.yearCount > 1; }

    CalendarState& state_;
    const FormatSelection& formats_;
    errors::ProcedureTrap& trap_;

    // Name buffers reused from member to member, one per builder (no builder calls itself).
    std::string quarterName_;
    std::string monthName_;
    std::string weekName_;
    std::string dayName_;
    std::string dayJoined_;
    // The periods each builder walks, one list per kind (no builder calls itself).
    std::vector<Period> quarters_;
    std::vector<Period> months_;
    std::vector<Period> weeks_;
    std::vector<Period> days_;
    // addPeriodMembers: the chosen kinds from the largest, their levels, a period list per
    // kind, and the year suffix of the year being built.
    std::vector<PeriodKind> periodKinds_;
    std::vector<cube::LevelRef> periodLevels_;
    std::vector<std::vector<Period>> periodLists_;
    std::string periodSuffix_;
    // The fill context (fillContextFor); made again after fillContextValid_ is cleared.
    bool fillContextValid_ = false;
    Period fillYear_;
    std::vector<Period> fillQuarters_;
    std::vector<Period> fillMonths_;
    std::vector<Period> fillWeeks_;
    Date fillWeekAnchor_;
    // The quarter and the month found last for a member (positions in the lists above).
    std::size_t fillQuarterAt_ = 0;
    std::size_t fillMonthAt_ = 0;
    // The texts of the context's dates, each made once: the first and last day of its year,
    // of each of its quarters and of each of its months (in the order of the lists above).
    PeriodDates fillYearDates_;
    std::vector<PeriodDates> fillQuarterDates_;
    std::vector<PeriodDates> fillMonthDates_;
    // The texts of the first and last day of the week that starts on fillWeekShown_.
    Date fillWeekShown_ = Date::max();
    PeriodDates fillWeekDates_;
    // Entry i: the working days among the first i days of fillYear_ (workingDays), built on
    // first use.
    std::vector<std::int64_t> fillWorkingBefore_;
    // The weeks weekCount splits a period into, one list reused from member to member.
    std::vector<Period> fillWeekScratch_;
    // The rows fillPeriodAttributes sets, one writer per period kind.
    std::array<cube::AttributeRows, 5> fillRows_;
    std::int32_t periodFirstYear_ = 0;
    bool periodSeveralYears_ = false;
    std::unique_ptr<Calendar> calendar_;
    const CalendarEntry* calendarEntry_ = nullptr;
    DateParts calendarStart_;
    CalendarOptions calendarOptions_;
};

}  // namespace annalex::calendar
