#pragma once
// The profile calls over INI files on disk, following the rules of ini_text.hpp. A missing file
// reads as empty; a write creates the file (not its directory, mode 0600) and replaces it
// atomically, keeping its permissions. Writes are serialised by an exclusive lock on the file's
// folder, so concurrent writers in different processes lose nothing. A failed write leaves its
// cause in lastProfileWriteError() (profile_write_error.hpp).

#include "settings/platform.hpp"

namespace annalex::settings {

class PosixProfile final : public ProfilePlatform {
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
    bool findFile(std::string_view path) override;

  private:
    bool write(std::string_view section, std::string_view key, std::string_view value,
               std::string_view file);
};

}  // namespace annalex::settings
