#pragma once
// The date rules every calendar and builder shares, written once: the Gregorian leap-year test
// and month lengths on plain integers, days counted from the civil date for any 32-bit year
// (std::chrono::year stops at 32767, and a fiscal year numbered 32767 ends in 32768), and the
// few readings of a day that member names need.

#include <chrono>
#include <cstdint>

namespace annalex::calendar {

using Date = std::chrono::sys_days;

// 1996 and 2000 are leap years, 1900 and 2001 are not.
constexpr bool isLeapYear(std::int32_t year) {
    return year % 4 == 0 && (year % 400 == 0 || year % 100 != 0);
}

constexpr std::int16_t daysInYear(std::int32_t year) {
    return isLeapYear(year) ? 366 : 365;
}

// The days of month 1 to 12 of a year; 0 for a number that names no month.
constexpr std::int16_t daysInMonth(std::int32_t year, std::int32_t month) {
    switch (month) {
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            return isLeapYear(year) ? 29 : 28;
        default:
            return month >= 1 && month <= 12 ? 31 : 0;
    }
}

// The day of year, month (1 to 12) and day of the month; a day of 0 or beyond the month's end
// counts on from the month's first day, as the page's dates do.
constexpr Date civilDay(std::int32_t year, std::int32_t month, std::int32_t day) {
    // Days from 1 March of year 0 in 400-year eras, then shifted to 1 January 1970.
    const std::int64_t y = std::int64_t{year} - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = era * 146097 + dayOfEra - 719468 + (day - 1);
    return Date(std::chrono::days(static_cast<std::int32_t>(days)));
}

// The civil date of a day, for years beyond std::chrono's as well.
struct CivilDate {
    std::int32_t year;
    std::int32_t month;
    std::int32_t day;
};

constexpr CivilDate civilDate(Date date) {
    const std::int64_t z = std::int64_t{date.time_since_epoch().count()} + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const auto day = static_cast<std::int32_t>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const auto month =
        static_cast<std::int32_t>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const auto year = static_cast<std::int32_t>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

// 1 for Sunday up to 7 for Saturday, the page's weekday numbering.
constexpr std::int16_t weekdayOf(Date date) {
    return static_cast<std::int16_t>(std::chrono::weekday(date).c_encoding() + 1);
}

// The Sunday on or before a day.
constexpr Date sundayOnOrBefore(Date date) {
    return date - std::chrono::days(weekdayOf(date) - 1);
}

}  // namespace annalex::calendar
