#include "report/product_settings.hpp"

#include "settings/registry.hpp"

namespace annalex::report {

std::string ProductSettings::readString(const std::string& name) {
    settings::SettingValue value;
    settings::fReadValue("HKCU", kProductKey, name, "S", std::string(), value);
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    return {};
}

std::string supportAddress(SettingsReader& settings) {
    std::string address = settings.readString(kSupportAddressName);
    return address.empty() ? kDefaultSupportAddress : address;
}

}  // namespace annalex::report
