#pragma once
// The failures of the cube store: each an annalex::Failure with source "Annalex.Store" whose
// description starts with the file's name in single quotes.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/failure.hpp"

namespace annalex::cube {

inline constexpr std::string_view kStoreSource = "Annalex.Store";

// Raises number with "'<file>' <what>", noting systemError (an errno value, 0 for none).
[[noreturn]] void failStore(ErrorNumber number, const std::filesystem::path& file,
                            const std::string& what, int systemError = 0);

// "'<file>' is damaged: <why>".
[[noreturn]] void damagedStore(const std::filesystem::path& file, const std::string& why);

// "'<file>' is not a cube store".
[[noreturn]] void notAStore(const std::filesystem::path& file);

// Refuses a format this version cannot read: a newer one, or none at all.
void requireReadableFormat(const std::filesystem::path& file, std::int64_t format);

}  // namespace annalex::cube
