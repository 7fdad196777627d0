#pragma once
// The text of a filled attribute value that is a number or a date, made in place: filling a
// large calendar sets tens of millions of values, and a string each would cost more than the
// value itself.

#include <charconv>
#include <cstdint>
#include <string_view>

#include "calendar/dates.hpp"

namespace annalex::calendar {

class ValueText {
  public:
    // Decimal digits, "-" first when negative.
    static ValueText number(std::int64_t value) {
        ValueText text;
        text.size_ = static_cast<std::uint8_t>(
            std::to_chars(text.text_, text.text_ + sizeof text.text_, value).ptr - text.text_);
        return text;
    }

    // An ISO date, "2021-01-02": the year in at least four digits (a sign and three for a year
    // before 1), the month and the day in two.
    static ValueText isoDate(Date day) {
        const CivilDate date = civilDate(day);
        ValueText text;
        char* at = text.text_;
        std::int32_t year = date.year;
        int width = 4;
        if (year < 0) {
            *at++ = '-';
            year = -year;
            width = 3;
        }
        at = padded(at, year, width);
        *at++ = '-';
        at = padded(at, date.month, 2);
        *at++ = '-';
        at = padded(at, date.day, 2);
        text.size_ = static_cast<std::uint8_t>(at - text.text_);
        return text;
    }

    std::string_view view() const { return {text_, size_}; }

  private:
    // value (not negative) in at least width digits, zeros first.
    static char* padded(char* at, std::int32_t value, int width) {
        char digits[12];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        for (auto length = static_cast<int>(end - digits); length < width; ++length) {
            *at++ = '0';
        }
        for (const char* digit = digits; digit != end; ++digit) {
            *at++ = *digit;
        }
        return at;
    }

    char text_[24] = {};
    std::uint8_t size_ = 0;
};

// A period's first and last day as value texts.
struct PeriodDates {
    ValueText first;
    ValueText last;
};

}  // namespace annalex::calendar
