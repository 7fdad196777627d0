#pragma once
// Mailing the error report to support: a session that is signed on within a bounded time, one
// message composed (one primary recipient, a body, one file attachment, a subject), sent, and
// signed off. Each use opens and closes its own session.
//
// signOn and send either succeed or throw MailFailure with a reason a person can read. Signing on
// checks the configured addresses (the sender, the support address) first: one that is not a
// single mail address fails the sign-on with a reason that names its setting.
//
// SmtpMail (smtp_mail.hpp) is the implementation; its sign-on fails while no mail server is
// configured, and the report form then disables its mail options when it loads and says why.

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace annalex::report {

class MailFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class MailService {
  public:
    virtual ~MailService() = default;

    virtual void signOn(std::chrono::milliseconds timeout) = 0;
    // Signs on and off again in a session of its own: the empty text when mail can go out, else
    // the reason it cannot. Touches nothing the other operations use, so it may run on another
    // thread.
    virtual std::string probe(std::chrono::milliseconds timeout) = 0;
    // Starts a new message in the signed-on session.
    virtual void compose() = 0;
    // The one primary recipient, resolved by the mail system; MailFailure when it is not a
    // single mail address.
    virtual void setRecipient(const std::string& address) = 0;
    virtual void setBody(const std::string& text) = 0;
    // The one attachment: a data file, placed at a character position of the body.
    virtual void setAttachment(const std::string& path, std::size_t bodyPosition) = 0;
    virtual void setSubject(const std::string& subject) = 0;
    virtual void send() = 0;
    virtual void signOff() = 0;
};

// The mail subject.
inline constexpr const char* kMailSubject = "Velmora Ledgerly Error";

}  // namespace annalex::report
