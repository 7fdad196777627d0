#pragma once
// Small helpers shared by the member builders: reaching the levels, the name prefixes that
// follow the month format, reading a month from a member name, and building names in reused
// buffers without temporaries.

#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/failure.hpp"
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

// The first three characters of a text, or all of it when shorter.
inline std::string_view firstThree(std::string_view text) {
    return text.substr(0, 3);
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

inline constexpr std::array<std::string_view, 12> kMonthHeads = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
inline constexpr std::array<std::string_view, 12> kMonthNumbers = {"1", "2", "3", "4",  "5",  "6",
                                                                   "7", "8", "9", "10", "11", "12"};

// The month (1 to 12) that a text names exactly, by one of the twelve candidates; 0 when
// none matches. The comparison is case-sensitive.
inline std::int16_t monthMatching(std::string_view text,
                                  const std::array<std::string_view, 12>& candidates) {
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (text == candidates[i]) {
            return static_cast<std::int16_t>(i + 1);
        }
    }
    return 0;
}

// Entry of a fixed table; SubscriptOutOfRange outside it.
template <typename T, std::size_t N>
const T& tableEntry(const std::array<T, N>& table, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) {
        raise(ErrorNumber::SubscriptOutOfRange);
    }
    return table[static_cast<std::size_t>(index)];
}

}  // namespace annalex::calendar::support
