#pragma once
// Where the mail settings live: string values under the product's key in the current user's
// settings (root "HKCU", key "Software\Velmora\Defaults").
//
//   MailServer    server URL, "smtp://host:port" (STARTTLS when offered) or "smtps://host:port";
//                 empty or missing: mail is off, and signing on fails
//   MailSender    envelope sender and From address (default "annalex@localhost")
//   MailUser      user name for authentication (empty: none)
//   MailPassword  its password
//   MailTimeout   seconds any one step may wait for the server, a number (default 30)

#include "errors/smtp_mail.hpp"

namespace annalex::errors {

inline constexpr const char* kMailServerValue = "MailServer";
inline constexpr const char* kMailSenderValue = "MailSender";
inline constexpr const char* kMailUserValue = "MailUser";
inline constexpr const char* kMailPasswordValue = "MailPassword";
inline constexpr const char* kMailTimeoutValue = "MailTimeout";

// Reads the values above; a missing value leaves its default.
MailSettings readMailSettings();

}  // namespace annalex::errors
