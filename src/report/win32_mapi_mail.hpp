#pragma once
// The report form's mail service on Windows: simple MAPI, the mail client the system names as
// its default (mapi32.dll, loaded when first needed, forwards to it).
//
// Signing on is MAPILogon with no profile, no password and no sign-on dialog; the support
// address (setting "SupportAddress") must be one mail address, else signing on fails naming the
// setting. The recipient is resolved by MAPIResolveName without a dialog (a client that cannot
// resolve names gets the address itself, "SMTP:" and the address); the message (the recipient
// as its one primary recipient, the subject, the body with CR LF line breaks, the archive as its
// one attachment, a data file at a position of the body) goes out through MAPISendMail without
// the mail client's dialog; MAPILogoff ends the session. Texts and paths reach the mail client
// in the ANSI code page. A MAPI call that fails raises MailFailure with the call, the reason and
// the MAPI code. The mail client's own calls are not bounded in time: the timeouts are not used.

#include <cstdint>
#include <string>

#include "report/mail_service.hpp"
#include "report/report_services.hpp"

namespace annalex::report {

class MapiMail final : public MailService {
  public:
    explicit MapiMail(SettingsReader& settings) : settings_(settings) {}
    ~MapiMail() override;

    void signOn(std::chrono::milliseconds timeout) override;
    std::string probe(std::chrono::milliseconds timeout) override;
    void compose() override;
    void setRecipient(const std::string& address) override;
    void setBody(const std::string& text) override;
    void setAttachment(const std::string& path, std::size_t bodyPosition) override;
    void setSubject(const std::string& subject) override;
    void send() override;
    void signOff() override;

  private:
    // A new session; the support address is checked first.
    std::uintptr_t logOn();

    SettingsReader& settings_;
    std::uintptr_t session_ = 0;
    std::string recipientName_;
    std::string recipientAddress_;
    std::string body_;
    std::string subject_;
    std::string attachment_;
    std::size_t attachmentPosition_ = 0;
};

}  // namespace annalex::report
