#pragma once
// The selector behind the first argument of every settings function (private to the module).

#include <cstdint>
#include <string_view>

namespace annalex::settings::detail {

// Selector results that are not root handles.
inline constexpr std::uint32_t kUnusable = 0;
inline constexpr std::uint32_t kIniFile = 1;

// Maps "HKCU", "HKLM", "HKU", "HKDD", "HKCC" and "HKCR" (tested in that order, without regard
// to case) to their root handles. Any other text is a file path: kIniFile when the directory
// search finds a normal file of that name (the text as given), kUnusable otherwise, a failing
// search included.
std::uint32_t fTopKey(std::string_view sTopKey);

}  // namespace annalex::settings::detail
