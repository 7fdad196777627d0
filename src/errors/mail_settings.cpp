#include "errors/mail_settings.hpp"

#include "settings/registry.hpp"

namespace annalex::errors {

namespace {

constexpr const char* kRoot = "HKCU";
constexpr const char* kProductKey = "Software\\Velmora\\Defaults";

std::string readText(const char* name) {
    settings::SettingValue value;
    settings::fReadValue(kRoot, kProductKey, name, "S", std::string(), value);
    const auto* text = std::get_if<std::string>(&value);
    return text != nullptr ? *text : std::string();
}

}  // namespace

MailSettings readMailSettings() {
    MailSettings mail;
    mail.serverUrl = readText(kMailServerValue);
    mail.sender = readText(kMailSenderValue);
    mail.userName = readText(kMailUserValue);
    mail.password = readText(kMailPasswordValue);
    settings::SettingValue seconds;
    const std::int32_t fallback = static_cast<std::int32_t>(mail.timeout.count());
    settings::fReadValue(kRoot, kProductKey, kMailTimeoutValue, "D", fallback, seconds);
    if (const auto* number = std::get_if<std::int32_t>(&seconds);
        number != nullptr && *number > 0) {
        mail.timeout = std::chrono::seconds(*number);
    }
    return mail;
}

}  // namespace annalex::errors
