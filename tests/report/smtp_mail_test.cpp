// The SMTP session against a real server on loopback.

#include "report/smtp_mail.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <utility>

#include "report/mail_address.hpp"
#include "report/mail_settings.hpp"
#include "report/smtp_test_server.hpp"
#include "settings/registry.hpp"
#include "settings/settings_dir.hpp"

namespace annalex::report {
namespace {

using testing::SmtpTestServer;

class SmtpMailTest : public settings::testing::SettingsDirTest {
  protected:
    MailSettings settingsFor(const std::string& url) {
        MailSettings mail;
        mail.serverUrl = url;
        mail.sender = "ledgerly@example.com";
        mail.timeout = std::chrono::seconds(5);
        return mail;
    }
    std::string attachment(const std::string& bytes) {
        return writeFile("report.zip", bytes).string();
    }
    // Composes and sends one message in a signed-on session.
    static void send(MailService& mail, const std::string& to, const std::string& subject,
                     const std::string& body, const std::string& attachment = "") {
        mail.compose();
        mail.setRecipient(to);
        mail.setBody(body);
        if (!attachment.empty()) {
            mail.setAttachment(attachment, 0);
        }
        mail.setSubject(subject);
        mail.send();
    }
    static constexpr std::chrono::seconds kSignOn{5};
};

TEST_F(SmtpMailTest, DeliversEachMessageOfASessionWithItsAttachmentIfAny) {
    SmtpTestServer server("accept", dir_);
    SmtpMail session(settingsFor(server.url()));
    session.signOn(kSignOn);
    // Line breaks, a long line, a leading dot and a non-ASCII character must all arrive as typed.
    const std::string body = " \r\nDescription:\r\n.dot first\r\n" + std::string(1200, 'x') +
                             "\r\nSchlüssel = 5\r\n\r\nSource         : Velmora\r\n";
    const std::string zipBytes("PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\r\n\x80", 25);
    send(session, "support@example.com", "Velmora Ledgerly Error", body, attachment(zipBytes));
    send(session, "b@example.com", "second", "two");  // the attachment is not kept
    session.signOff();

    EXPECT_EQ(server.received(1, "envelope"), "ledgerly@example.com\nsupport@example.com\n");
    EXPECT_EQ(server.received(1, "subject"), "Velmora Ledgerly Error");
    EXPECT_EQ(server.received(1, "body"), body);
    EXPECT_EQ(server.received(1, "parts"), "application/zip\treport.zip\n");
    EXPECT_EQ(server.received(1, "attachment-1"), zipBytes);
    EXPECT_EQ(server.received(2, "envelope"), "ledgerly@example.com\nb@example.com\n");
    EXPECT_EQ(server.received(2, "body"), "two");
    EXPECT_EQ(server.received(2, "parts"), "");
}

// A user name and password go out encrypted only, unless the setting says they may not be.
TEST_F(SmtpMailTest, CredentialsNeedEncryptionUnlessAllowedOtherwise) {
    SmtpTestServer server("accept", dir_);  // offers no STARTTLS
    const char* key = "Software\\Velmora\\Defaults";
    for (const auto& [name, text] : {std::pair{"MailServer", server.url()},
                                     {"MailUser", std::string("reports")},
                                     {"MailPassword", std::string("secret")}}) {
        ASSERT_EQ(settings::fWriteValue("HKCU", key, name, "S", text), 0);
    }
    SmtpMail mail;  // reads the settings at every sign-on
    EXPECT_NE(mail.probe(kSignOn).find("MailAllowUnencrypted"), std::string::npos);
    EXPECT_THROW(mail.signOn(kSignOn), MailFailure);
    ASSERT_EQ(settings::fWriteValue("HKCU", key, "MailAllowUnencrypted", "D", 1), 0);
    EXPECT_EQ(mail.probe(kSignOn), "");
}

TEST(MailAddresses, OnlyOneMailboxWithoutControlCharactersIsAnAddress) {
    for (const char* good : {"annalex@localhost", "a.b+c-d@mail-1.example.com",
                             "\"quoted \\\"name\"@example.com", "user@[192.0.2.1]"}) {
        EXPECT_TRUE(isMailbox(good)) << good;
    }
    for (const char* bad : {"", "no-at-sign", "@b.example", "a.@b.example", "a@b.example\r\n",
                            "<a@b.example>", "a b@c.example", ".a@b.example", "a..b@c.example",
                            "a@-b.example", "a@b.example.", "one@a.example, two@b.example",
                            "j\xc3\xb6rg@example.com", "\"a\rb\"@example.com", "a@[1.2\n.3.4]"}) {
        EXPECT_FALSE(isMailbox(bad)) << printableText(bad);
    }
    EXPECT_TRUE(isMailbox(std::string(64, 'l') + "@example.com"));
    EXPECT_FALSE(isMailbox(std::string(65, 'l') + "@example.com"));
}

// (A server that is not there, or rejects the message: ReportMail, which says why.)
TEST_F(SmtpMailTest, AnUnreadableAttachmentFailsTheSend) {
    SmtpTestServer server("accept", dir_);
    SmtpMail session(settingsFor(server.url()));
    session.signOn(kSignOn);
    EXPECT_THROW(send(session, "a@example.com", "s", "b", (dir_ / "missing.zip").string()),
                 MailFailure);
    EXPECT_FALSE(server.receivedAny());
}

TEST_F(SmtpMailTest, ServerThatHangsAfterTheGreetingEndsTheSendWithinTheTimeout) {
    SmtpTestServer server("hang", dir_);
    MailSettings mail = settingsFor(server.url());
    mail.timeout = std::chrono::seconds(2);
    SmtpMail session(mail);
    session.signOn(kSignOn);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(send(session, "a@example.com", "s", "b"), MailFailure);
    // Bounded, not timed: the send gives up near its timeout instead of waiting for ever.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

}  // namespace
}  // namespace annalex::report
