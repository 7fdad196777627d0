#pragma once
// The profile calls forwarded to the Windows profile functions (ANSI forms) and the directory
// search to FindFirstFileA. A file given without a folder is looked for where Windows looks
// for it (the Windows directory), as the platform does.

#include "settings/platform.hpp"

namespace annalex::settings {

class Win32Profile final : public ProfilePlatform {
  public:
    std::uint32_t getProfileString(std::string_view section, std::string_view key,
                                   std::string_view defaultText, char* buffer,
                                   std::uint32_t capacity, std::string_view file) override;
    std::uint32_t getProfileInt(std::string_view section, std::string_view key,
                                std::int32_t defaultValue, std::string_view file) override;
    std::uint32_t getProfileSection(std::string_view section, char* buffer, std::uint32_t capacity,
                                    std::string_view file) override;
    bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                            std::string_view file) override;
    // True when the search finds a normal file: one that is not a directory, hidden or a
    // system file.
    bool findFile(std::string_view path) override;
};

}  // namespace annalex::settings
