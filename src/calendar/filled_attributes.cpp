// The filled attributes (docs/attributes.md): every attribute of a member's level, computed from
// its period and the periods of the calendar's year that holds it. Large calendars set tens of
// millions of values, so a value is made without the heap: numbers and dates are written in
// place (ValueText), the dates shared by many members (a year's, a quarter's, a month's, a
// week's first and last day) once per period, and words come from tables.

#include "calendar/calendar_builder.hpp"
#include "calendar/holidays/holiday_calendar.hpp"
#include "calendar/value_text.hpp"

namespace annalex::calendar {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The words among the filled values, each made here and nowhere else.
std::string_view yesNo(bool yes) {
    return yes ? "Yes" : "No";
}

std::string_view weekdayName(const CalendarState& state, std::int16_t weekday) {
    return state.dayNameTable[static_cast<std::size_t>(weekday)];
}

// The day's holiday names; empty without holidays or on other days.
std::string_view holidayName(const CalendarState& state, Date day) {
    return state.holidays ? std::string_view(state.holidays->nameOn(day)) : std::string_view();
}

std::int64_t daysOf(const Period& period) {
    return (period.last - period.first).count() + 1;
}

// The position in the list of the period that holds day; kNone when none does (a calendar
// without quarters or months). Members come in time order, so the period found last (at) and
// the one after it are tried first; at becomes the one found.
std::size_t holding(const std::vector<Period>& periods, Date day, std::size_t& at) {
    for (std::size_t i = at; i < periods.size() && i <= at + 1; ++i) {
        if (periods[i].first <= day && day <= periods[i].last) {
            return at = i;
        }
    }
    for (std::size_t i = 0; i < periods.size(); ++i) {
        if (periods[i].first <= day && day <= periods[i].last) {
            return at = i;
        }
    }
    return kNone;
}

std::size_t holding(const std::vector<Period>& periods, Date day) {
    std::size_t from = 0;
    return holding(periods, day, from);
}

// The 1-based position of inner's first day counted in units of step days from outer's first.
std::int64_t positionIn(const Period& outer, Date first, std::int64_t step) {
    return (first - outer.first).count() / step + 1;
}

// The day that places a period in its year, quarter and month: a week's last, any other
// period's first.
Date placingDay(const Period& period) {
    return period.kind == PeriodKind::Week ? period.last : period.first;
}

// The first day of the seven-day week that holds day, weeks running on from anchor in both
// directions.
Date weekStartOf(Date day, Date anchor) {
    const std::int64_t offset = (day - anchor).count() % 7;
    return day - std::chrono::days(offset < 0 ? offset + 7 : offset);
}

// Whether day is neither a weekend day nor a holiday.
bool isWorkingDay(const CalendarState& state, Date day) {
    return !state.weekend.has(std::chrono::weekday(day)) &&
           !(state.holidays && state.holidays->isHoliday(day));
}

PeriodDates datesOf(const Period& period) {
    return {ValueText::isoDate(period.first), ValueText::isoDate(period.last)};
}

}  // namespace

void CalendarBuilder::forgetFillContext() {
    fillContextValid_ = false;
    for (cube::AttributeRows& rows : fillRows_) {
        rows.forget();
    }
}

void CalendarBuilder::flushFillRows() {
    for (cube::AttributeRows& rows : fillRows_) {
        rows.flush();
    }
}

void CalendarBuilder::fillContextFor(Date day) {
    if (fillContextValid_ && fillYear_.first <= day && day <= fillYear_.last) {
        return;
    }
    const Calendar& chosen = calendar();
    fillYear_ = chosen.year(yearNumberHolding(chosen, day));
    chosen.split(fillYear_, PeriodKind::Quarter, fillQuarters_);
    chosen.split(fillYear_, PeriodKind::Month, fillMonths_);
    chosen.split(fillYear_, PeriodKind::Week, fillWeeks_);
    fillWeekAnchor_ = fillWeeks_.empty() ? fillYear_.first : fillWeeks_.front().first;
    fillWorkingBefore_.clear();
    fillYearDates_ = datesOf(fillYear_);
    fillQuarterDates_.clear();
    for (const Period& quarter : fillQuarters_) {
        fillQuarterDates_.push_back(datesOf(quarter));
    }
    fillMonthDates_.clear();
    for (const Period& month : fillMonths_) {
        fillMonthDates_.push_back(datesOf(month));
    }
    fillQuarterAt_ = 0;
    fillMonthAt_ = 0;
    fillContextValid_ = true;
}

std::int64_t CalendarBuilder::workingDays(const Period& period) {
    // A period reaching outside the fill context's year is counted on its own.
    if (period.first < fillYear_.first || period.last > fillYear_.last) {
        std::int64_t days = 0;
        for (Date day = period.first; day <= period.last; day += std::chrono::days(1)) {
            days += isWorkingDay(state_, day) ? 1 : 0;
        }
        return days;
    }
    // The year, its quarters and its months all ask: each day of the year is tested once, and
    // every period of the year is then a difference of two running counts.
    if (fillWorkingBefore_.empty()) {
        fillWorkingBefore_.reserve(static_cast<std::size_t>(daysOf(fillYear_)) + 1);
        fillWorkingBefore_.push_back(0);
        for (Date day = fillYear_.first; day <= fillYear_.last; day += std::chrono::days(1)) {
            fillWorkingBefore_.push_back(fillWorkingBefore_.back() +
                                         (isWorkingDay(state_, day) ? 1 : 0));
        }
    }
    const auto offset = [&](Date day) {
        return static_cast<std::size_t>((day - fillYear_.first).count());
    };
    return fillWorkingBefore_[offset(period.last) + 1] - fillWorkingBefore_[offset(period.first)];
}

std::int64_t CalendarBuilder::weekCount(const Period& period) {
    calendar().split(period, PeriodKind::Week, fillWeekScratch_);
    return static_cast<std::int64_t>(fillWeekScratch_.size());
}

void CalendarBuilder::fillPeriodAttributes(cube::Member& member, const Period& period) {
    const Period& year = fillYear_;
    // A week belongs to the quarter and month of its last day, as the page shares weeks out;
    // in the week-based calendars no week crosses a month, so its first day gives the same.
    const Date placed = placingDay(period);
    const std::size_t quarter = holding(fillQuarters_, placed, fillQuarterAt_);
    const std::size_t month = holding(fillMonths_, placed, fillMonthAt_);
    // Every member of a kind sets the same keys in the same order: one row of its level.
    cube::AttributeRows& row = fillRows_[static_cast<std::size_t>(period.kind)];
    row.start(member);
    const auto put = [&](std::string_view key, std::string_view value) { row.text(key, value); };
    const auto number = [&](std::string_view key, std::int64_t value) { row.number(key, value); };
    // A number that a calendar without quarters or months leaves empty.
    const auto numberIf = [&](std::string_view key, bool known, std::int64_t value) {
        if (known) {
            row.number(key, value);
        } else {
            row.text(key, std::string_view());
        }
    };
    // A period's first and last day under two keys, their texts made once per period and each
    // standing for its text by its day count; both empty without the period.
    const auto bounds = [&](std::string_view firstKey, std::string_view lastKey,
                            const Period* bounded, const PeriodDates* texts) {
        if (bounded == nullptr) {
            row.text(firstKey, std::string_view());
            row.text(lastKey, std::string_view());
            return;
        }
        row.coded(firstKey, bounded->first.time_since_epoch().count(), texts->first.view());
        row.coded(lastKey, bounded->last.time_since_epoch().count(), texts->last.view());
    };
    switch (period.kind) {
        case PeriodKind::Year:
            // Longer than a common year: 366 days, or 53 weeks.
            put("YearLeapYear", yesNo(daysOf(period) > 365));
            number("YearNumberOfDays", daysOf(period));
            number("YearYearNo", period.number - periodFirstYear_);
            number("YearNumberOfWorkingDays", workingDays(period));
            break;
        case PeriodKind::Quarter: {
            std::int64_t months = 0;
            for (const Period& m : fillMonths_) {
                months += m.first >= period.first && m.last <= period.last ? 1 : 0;
            }
            number("QuarterNumberInYear", period.number);
            number("QuarterNumberOfMonths", months);
            number("QuarterNumberOfWeeks", weekCount(period));
            number("QuarterNumberOfDays", daysOf(period));
            number("QuarterQtrNo", period.number);
            number("QuarterNumberOfWorkingDays", workingDays(period));
            break;
        }
        case PeriodKind::Month: {
            const PeriodDates dates = datesOf(period);
            number("MonthNumberInYear", period.number);
            numberIf(
                "MonthNumberInQuarter", quarter != kNone,
                quarter == kNone
                    ? 0
                    : period.number -
                          fillMonths_[holding(fillMonths_, fillQuarters_[quarter].first)].number +
                          1);
            number("MonthNumberOfWeeks", weekCount(period));
            number("MonthNumberOfDays", daysOf(period));
            put("MonthFstDayInMonth", dates.first.view());
            put("MonthLstDayInMonth", dates.last.view());
            number("MonthMonthNumber", period.number);
            number("MonthNumberOfWorkingDays", workingDays(period));
            break;
        }
        case PeriodKind::Week: {
            const PeriodDates dates = datesOf(period);
            number("WeekNumberInYear", period.number);
            numberIf("WeekNumberInQuarter", quarter != kNone,
                     quarter == kNone ? 0 : positionIn(fillQuarters_[quarter], placed, 7));
            numberIf("WeekNumberInMonth", month != kNone,
                     month == kNone ? 0 : positionIn(fillMonths_[month], placed, 7));
            number("WeekNumberOfDays", daysOf(period));
            put("WeekFstDayInWeek", dates.first.view());
            put("WeekLstDayInWeek", dates.last.view());
            number("WeekWeekNumber", period.number);
            break;
        }
        case PeriodKind::Day: {
            const Date day = period.first;
            const Date weekFirst = weekStartOf(day, fillWeekAnchor_);
            if (weekFirst != fillWeekShown_) {
                fillWeekDates_ = {ValueText::isoDate(weekFirst),
                                  ValueText::isoDate(weekFirst + std::chrono::days(6))};
                fillWeekShown_ = weekFirst;
            }
            const bool inQuarter = quarter != kNone;
            const bool inMonth = month != kNone;
            number("DayNumberInYear", positionIn(year, day, 1));
            numberIf("DayNumberInQuarter", inQuarter,
                     inQuarter ? positionIn(fillQuarters_[quarter], day, 1) : 0);
            numberIf("DayNumberInMonth", inMonth,
                     inMonth ? positionIn(fillMonths_[month], day, 1) : 0);
            number("DayNumberInWeek", (day - weekFirst).count() + 1);
            const std::int16_t weekday = weekdayOf(day);
            const bool weekend = state_.weekend.has(std::chrono::weekday(day));
            Period week;
            week.first = weekFirst;
            week.last = weekFirst + std::chrono::days(6);
            // A weekday's name and Yes or No stand for their texts by number.
            row.coded("DayWeekday", weekday, weekdayName(state_, weekday));
            put("DayHoliday", holidayName(state_, day));
            row.coded("DayWeekend", weekend ? 1 : 0, yesNo(weekend));
            bounds("DayFstDayInWeek", "DayLstDayInWeek", &week, &fillWeekDates_);
            bounds("DayFstDayInMonth", "DayLstDayInMonth", inMonth ? &fillMonths_[month] : nullptr,
                   inMonth ? &fillMonthDates_[month] : nullptr);
            bounds("DayFstDayInQuarter", "DayLstDayInQuarter",
                   inQuarter ? &fillQuarters_[quarter] : nullptr,
                   inQuarter ? &fillQuarterDates_[quarter] : nullptr);
            bounds("DayFstDayInYear", "DayLstDayInYear", &year, &fillYearDates_);
            number("DayDayNumber", civilDate(day).day);
            break;
        }
    }
    row.finish();
}

}  // namespace annalex::calendar
