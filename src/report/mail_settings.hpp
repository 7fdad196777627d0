#pragma once
// Where mail is configured: values under the product's key in the current user's settings
// (root "HKCU", key "Software\Velmora\Defaults"):
//
//   MailServer      text: "smtp://host:port" (STARTTLS) or "smtps://host:port"; empty or
//                   missing: mail is off and signing on fails
//   MailSender      text: envelope sender and From address (default "annalex@localhost")
//   SupportAddress  text: the recipient (default support@velmora.example, product_settings.hpp)
//   MailUser        text: user name for authentication (empty: none)
//   MailPassword    text: its password (the settings files are readable by their owner only)
//   MailAllowUnencrypted  number: 1 lets the user name and password go out over a connection
//                   that is not encrypted; anything else (the default) signs on only over TLS
//                   (smtps://, or STARTTLS that the server must offer) when a user name is set
//   MailTimeout     number: seconds any one step may wait for the server (default 30)

#include "report/smtp_mail.hpp"

namespace annalex::report {

inline constexpr const char* kMailServerValue = "MailServer";
inline constexpr const char* kMailSenderValue = "MailSender";
inline constexpr const char* kMailUserValue = "MailUser";
inline constexpr const char* kMailPasswordValue = "MailPassword";
inline constexpr const char* kMailAllowUnencryptedValue = "MailAllowUnencrypted";
inline constexpr const char* kMailTimeoutValue = "MailTimeout";

// Reads the values above; a missing value leaves its default.
MailSettings readMailSettings();

}  // namespace annalex::report
