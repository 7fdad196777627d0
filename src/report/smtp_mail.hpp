#pragma once
// The report form's mail service over SMTP, with libcurl.
//
// Signing on checks the sender and the support address (each must be one mail address: no line
// break can reach a command or a header), connects to the configured server, reads its greeting
// and introduces us (STARTTLS when the server offers it, authentication when a user name is
// configured). A user name and password go out encrypted only: over smtps://, or after STARTTLS,
// which the server must then offer, unless MailAllowUnencrypted says otherwise. A composed
// message (one primary recipient, a plain-text body, at most one file attachment sent as
// application/zip under its own file name, a subject) goes out over its own SMTP transaction.
// Every step is bounded: a server that accepts the connection and then says nothing makes the
// step fail with MailFailure after the timeout instead of freezing the form.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "report/mail_service.hpp"

namespace annalex::report {

// Where and how mail goes out; see mail_settings.hpp for where it is configured.
struct MailSettings {
    std::string serverUrl;  // "smtp://host:port" or "smtps://host:port"; empty: mail is off
    std::string sender;     // envelope sender and From header; empty: "annalex@localhost"
    std::string recipient;  // the support address, checked at sign-on; empty: not checked
    std::string userName;   // empty: no authentication
    std::string password;
    bool allowUnencrypted = false;     // the user name and password may go out unencrypted
    std::chrono::seconds timeout{30};  // for every step; sign-on may be given a shorter one
};

class SmtpMail final : public MailService {
  public:
    // Reads the settings anew at every sign-on, so a server configured while the form is open
    // is used by the next press of the mail button.
    SmtpMail();
    // Always these settings.
    explicit SmtpMail(MailSettings settings);
    ~SmtpMail() override;
    SmtpMail(const SmtpMail&) = delete;
    SmtpMail& operator=(const SmtpMail&) = delete;

    // Fails when an address is not one mail address, when no server is configured, or the
    // server cannot be reached, does not greet, offers no encryption for a user name and
    // password, or refuses us within the shorter of timeout and the configured timeout.
    void signOn(std::chrono::milliseconds timeout) override;
    std::string probe(std::chrono::milliseconds timeout) override;
    void compose() override;
    void setRecipient(const std::string& address) override;
    void setBody(const std::string& text) override;
    // SMTP has no body positions: the attachment follows the body text.
    void setAttachment(const std::string& path, std::size_t bodyPosition) override;
    void setSubject(const std::string& subject) override;
    // Fails when not signed on, when nothing was composed, when the attachment cannot be read,
    // or when the server rejects or does not answer within the configured timeout.
    void send() override;
    void signOff() override;

    bool signedOn() const { return connection_ != nullptr; }

  private:
    struct Connection;
    // The settings to use now, with defaults filled in and every address checked.
    MailSettings currentSettings() const;
    struct Message {
        std::string recipient;
        std::string subject;
        std::string body;
        std::string attachment;
    };

    Message& composed();

    std::optional<MailSettings> fixed_;
    MailSettings settings_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<Message> message_;
};

}  // namespace annalex::report
