#pragma once
// Helpers for the period-name lists, which are indexed from 0 and ended by an empty string.

#include <cstdint>
#include <string>
#include <vector>

#include "common/checked_int.hpp"
#include "common/failure.hpp"

namespace annalex::calendar {

// The highest position of a list; a list that was never built has none (SubscriptOutOfRange).
inline std::int16_t upperBound(const std::vector<std::string>& list) {
    if (list.empty()) {
        raise(ErrorNumber::SubscriptOutOfRange);
    }
    return narrowChecked<std::int16_t>(list.size() - 1);
}

// The entry at a position; SubscriptOutOfRange outside the list.
inline const std::string& entryAt(const std::vector<std::string>& list, std::int32_t position) {
    if (position < 0 || static_cast<std::size_t>(position) >= list.size()) {
        raise(ErrorNumber::SubscriptOutOfRange);
    }
    return list[static_cast<std::size_t>(position)];
}

}  // namespace annalex::calendar
