#pragma once
// The century rule for a year typed into the page: a year below 1000 was meant with its
// century left off, below 50 in the 2000s and otherwise in the 1900s ("01" is 2001, "50" is
// 1950, "999" is 2899). A year of 1000 or more is taken as typed.

#include <cstdint>

namespace annalex::control {

constexpr std::int32_t withCentury(std::int32_t typedYear) {
    if (typedYear < 1000) {
        return typedYear < 50 ? typedYear + 2000 : typedYear + 1900;
    }
    return typedYear;
}

}  // namespace annalex::control
