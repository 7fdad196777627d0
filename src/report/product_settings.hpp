#pragma once
// The product's settings through the settings store: string values of HKCU
// "Software\Velmora\Defaults", the empty text by default.
//
//   Installed       the installation directory (error log, archive, restart program)
//   ApplicationDir  the application directory (screen picture, supporting file)
//   (either missing or empty: the user's data folder, FileService::userDataFolder)
//   SupportAddress  where error reports go; support@velmora.example when not set

#include "report/report_services.hpp"

namespace annalex::report {

inline constexpr const char* kProductKey = "Software\\Velmora\\Defaults";
inline constexpr const char* kSupportAddressName = "SupportAddress";
inline constexpr const char* kDefaultSupportAddress = "support@velmora.example";

class ProductSettings final : public SettingsReader {
  public:
    std::string readString(const std::string& name) override;
};

// The support address: the setting, or the default when it is empty or missing.
std::string supportAddress(SettingsReader& settings);

}  // namespace annalex::report
