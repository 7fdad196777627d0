#pragma once
// How long VmRestart waits for its host to end: kHostWaitLimit (15 minutes, time for the host
// to let its user save open work before it quits), or less when the environment variable
// VMRESTART_WAIT_LIMIT_MS holds a positive number of milliseconds no larger than that (for the
// tests, which cannot wait 15 minutes); anything else there is ignored.

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <string_view>

namespace vmrestart {

inline constexpr std::chrono::milliseconds kHostWaitLimit = std::chrono::minutes(15);

inline std::chrono::milliseconds hostWaitLimit() {
    const char* text = std::getenv("VMRESTART_WAIT_LIMIT_MS");
    if (text == nullptr) {
        return kHostWaitLimit;
    }
    const std::string_view view(text);
    long long value = 0;
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size() || value <= 0 ||
        value > kHostWaitLimit.count()) {
        return kHostWaitLimit;
    }
    return std::chrono::milliseconds(value);
}

}  // namespace vmrestart
