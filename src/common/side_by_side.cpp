#include "common/side_by_side.hpp"

#include <algorithm>
#include <exception>
#include <future>
#include <thread>
#include <vector>

namespace annalex {

std::size_t sideBySideParts() {
    constexpr std::size_t kMostParts = 4;
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, kMostParts);
}

void runSideBySide(std::size_t count, const std::function<void(std::size_t)>& part) {
    std::vector<std::future<void>> others;
    others.reserve(count);
    std::exception_ptr failure;
    try {
        for (std::size_t i = 1; i < count; ++i) {
            others.push_back(std::async(std::launch::async, part, i));
        }
        if (count > 0) {
            part(0);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    for (std::future<void>& other : others) {
        try {
            other.get();  // waits for the part in any case
        } catch (...) {
            if (!failure) {
                failure = std::current_exception();
            }
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace annalex
