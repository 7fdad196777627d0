#include "report/mail_settings.hpp"

#include "report/product_settings.hpp"
#include "settings/registry.hpp"

namespace annalex::report {

namespace {

// A number value; fallback when it is missing or not a number.
std::int32_t readNumber(const char* name, std::int32_t fallback) {
    settings::SettingValue value;
    settings::fReadValue("HKCU", kProductKey, name, "D", fallback, value);
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return *number;
    }
    return fallback;
}

}  // namespace

MailSettings readMailSettings() {
    ProductSettings product;
    MailSettings mail;
    mail.serverUrl = product.readString(kMailServerValue);
    mail.sender = product.readString(kMailSenderValue);
    mail.recipient = supportAddress(product);
    mail.userName = product.readString(kMailUserValue);
    mail.password = product.readString(kMailPasswordValue);
    mail.allowUnencrypted = readNumber(kMailAllowUnencryptedValue, 0) == 1;
    if (const std::int32_t seconds =
            readNumber(kMailTimeoutValue, static_cast<std::int32_t>(mail.timeout.count()));
        seconds > 0) {
        mail.timeout = std::chrono::seconds(seconds);
    }
    return mail;
}

}  // namespace annalex::report
