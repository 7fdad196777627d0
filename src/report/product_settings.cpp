#include "report/product_settings.hpp"

#include "settings/registry.hpp"
#ifdef _WIN32
#include "report/win32_text.hpp"
#endif

namespace annalex::report {

std::string ProductSettings::readString(const std::string& name) {
    settings::SettingValue value;
    settings::fReadValue("HKCU", kProductKey, name, "S", std::string(), value);
    if (const auto* text = std::get_if<std::string>(&value)) {
#ifdef _WIN32
        return utf8FromAnsi(*text);  // the registry's narrow calls answer in the ANSI code page
#else
        return *text;
#endif
    }
    return {};
}

std::string supportAddress(SettingsReader& settings) {
    std::string address = settings.readString(kSupportAddressName);
    return address.empty() ? kDefaultSupportAddress : address;
}

}  // namespace annalex::report
