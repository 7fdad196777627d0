#pragma once
// Small helpers shared by the member builders: reaching the levels, the name prefixes that
// follow the month format, reading a month from a member name, and building names in reused
// buffers without temporaries.

#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/failure.hpp"
#include "common/numeric.hpp"
#include "cube/cube_model.hpp"

namespace annalex::calendar::support {

// The object behind a reference; a call on none is ObjectNotSet, as for any unset object.
template <typename T>
T& require(const std::shared_ptr<T>& reference) {
    if (!reference) {
        raise(ErrorNumber::ObjectNotSet);
    }
    return *reference;
}

// Level 1 of hierarchy 1 of the dimension: the level of the top members.
inline cube::LevelRef topLevel(const cube::DimensionRef& dimension) {
    return require(require(dimension).hierarchy(1)).levelAt(1);
}

// The level of that name in hierarchy 1 of the dimension, or none.
inline cube::LevelRef levelNamed(const cube::DimensionRef& dimension, std::string_view name) {
    return require(require(dimension).hierarchy(1)).levelNamed(name);
}

// Whether the level already holds a member of that name.
inline bool nameTaken(const cube::LevelRef& level, std::string_view name) {
    return require(level).findMembers(name).Count() != 0;
}

// Appends value as plain decimal digits ("-" for a negative value).
inline void appendDecimal(std::string& text, std::int64_t value) {
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    (void)error;
    text.append(digits, end);
}

// Quarter names follow the month format: "Q1", "Qtr 1", "Quarter 1"; no prefix otherwise.
inline std::string_view quarterPrefix(std::int16_t monthFormat) {
    switch (monthFormat) {
        case 0:
            return "Q";
        case 1:
            return "Qtr ";
        case 2:
            return "Quarter ";
        default:
            return "";
    }
}

// Week names follow the month format: "W5", "Wk 5", "Week 5"; no prefix otherwise.
inline std::string_view weekPrefix(std::int16_t monthFormat) {
    switch (monthFormat) {
        case 0:
            return "W";
        case 1:
            return "Wk ";
        case 2:
            return "Week ";
        default:
            return "";
    }
}

// The suffix of names below a year when the range holds more than one year: an underscore and
// the year as the sign-reserving number-to-text conversion writes it, "_ 2001".
inline std::string yearSuffixText(std::int32_t year) {
    std::string text(1, '_');
    text += signedText(year);
    return text;
}

// A day's name joined with its parent's name: first, an underscore, then second, with no blank
// ("Mon 1 Jan_2001", "Jan_1").
inline void joinDayName(std::string& out, std::string_view first, std::string_view second) {
    out.assign(first).push_back('_');
    out.append(second);
}

// Entry of a fixed table; SubscriptOutOfRange outside it.
template <typename T, std::size_t N>
const T& tableEntry(const std::array<T, N>& table, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) {
        raise(ErrorNumber::SubscriptOutOfRange);
    }
    return table[static_cast<std::size_t>(index)];
}

template <typename T>
const T& tableEntry(const std::vector<T>& table, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.size()) {
        raise(ErrorNumber::SubscriptOutOfRange);
    }
    return table[static_cast<std::size_t>(index)];
}

}  // namespace annalex::calendar::support
