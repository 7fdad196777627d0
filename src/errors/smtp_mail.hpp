#pragma once
// Mail over SMTP with libcurl: the sender the error report form uses to mail its report.
//
// A session follows the steps of a simple mail interface: sign on (connect to the configured
// server and have it greet us, with STARTTLS when the server offers it and credentials when
// configured), then send one composed message (one primary recipient, a plain-text body, at most
// one file attachment), then sign off. Every step is bounded by the configured timeout, so a
// server that accepts the connection and then says nothing makes the step fail instead of
// hanging the caller.

#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace annalex::errors {

// Where and how mail goes out. Read from the product's settings key by readMailSettings().
struct MailSettings {
    std::string serverUrl;  // "smtp://host:port" or "smtps://host:port"; empty: no mail
    std::string sender;     // envelope sender and From header
    std::string userName;   // empty: no authentication
    std::string password;
    std::chrono::seconds timeout{30};
};

// One composed message.
struct MailMessage {
    std::string recipient;  // the one primary ("to") recipient
    std::string subject;
    std::string body;                  // sent as typed, line breaks included
    std::filesystem::path attachment;  // empty: no attachment; else sent as application/zip
};

// A step of the session failed: no server configured, not reachable, refused, timed out.
class MailError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class SmtpMailSession {
  public:
    explicit SmtpMailSession(MailSettings settings);
    ~SmtpMailSession();
    SmtpMailSession(const SmtpMailSession&) = delete;
    SmtpMailSession& operator=(const SmtpMailSession&) = delete;

    // Connects, reads the greeting and introduces itself (and authenticates when a user name is
    // configured). Throws MailError when no server is configured or the server cannot be
    // reached, does not greet, or refuses us within the timeout.
    void signOn();
    bool signedOn() const { return connection_ != nullptr; }

    // Sends one message over its own SMTP transaction. Throws MailError when not signed on, when
    // the attachment cannot be read, when the server rejects the sender, the recipient or the
    // message, or when it does not answer within the timeout.
    void send(const MailMessage& message);

    // Ends the session; harmless when not signed on.
    void signOff();

  private:
    struct Connection;
    MailSettings settings_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace annalex::errors
