#include "report/mail_settings.hpp"

#include "report/product_settings.hpp"
#include "settings/registry.hpp"

namespace annalex::report {

namespace {

std::string readText(const char* name) {
    return ProductSettings().readString(name);
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
    settings::fReadValue("HKCU", kProductKey, kMailTimeoutValue, "D", fallback, seconds);
    if (const auto* number = std::get_if<std::int32_t>(&seconds);
        number != nullptr && *number > 0) {
        mail.timeout = std::chrono::seconds(*number);
    }
    return mail;
}

}  // namespace annalex::report
