// The SMTP session against a real server on loopback.

#include "report/smtp_mail.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <utility>

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

TEST_F(SmtpMailTest, SigningOnFailsWithoutServerOrWhenNothingListens) {
    SmtpMail unconfigured(settingsFor(""));
    EXPECT_THROW(unconfigured.signOn(kSignOn), MailFailure);
    EXPECT_FALSE(unconfigured.signedOn());

    const std::string url = "smtp://127.0.0.1:" + std::to_string(testing::unusedLoopbackPort());
    SmtpMail down(settingsFor(url));
    try {
        down.signOn(kSignOn);
        FAIL() << "signed on to a port where nothing listens";
    } catch (const MailFailure& error) {
        EXPECT_NE(std::string(error.what()).find(url), std::string::npos) << error.what();
    }
    EXPECT_FALSE(down.signedOn());
    EXPECT_THROW(send(down, "a@example.com", "s", "b"), MailFailure);
}

TEST_F(SmtpMailTest, RejectedMessageAndUnreadableAttachmentFailTheSend) {
    SmtpTestServer server("reject", dir_);
    SmtpMail session(settingsFor(server.url()));
    session.signOn(kSignOn);
    try {
        send(session, "a@example.com", "s", "b");
        FAIL() << "a rejected message counted as sent";
    } catch (const MailFailure& error) {
        EXPECT_NE(std::string(error.what()).find("550"), std::string::npos) << error.what();
    }
    EXPECT_THROW(send(session, "a@example.com", "s", "b", (dir_ / "missing.zip").string()),
                 MailFailure);
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

TEST_F(SmtpMailTest, SettingsComeFromTheProductKeyWithDefaults) {
    const MailSettings defaults = readMailSettings();
    EXPECT_EQ(defaults.serverUrl, "");
    EXPECT_EQ(defaults.timeout, std::chrono::seconds(30));

    const char* key = "Software\\Velmora\\Defaults";
    for (const auto& [name, text] : {std::pair{"MailServer", "smtps://mail.example:465"},
                                     {"MailSender", "from@example.com"},
                                     {"MailUser", "user"},
                                     {"MailPassword", "secret"}}) {
        ASSERT_EQ(settings::fWriteValue("HKCU", key, name, "S", std::string(text)), 0);
    }
    ASSERT_EQ(settings::fWriteValue("HKCU", key, "MailTimeout", "D", 7), 0);
    const MailSettings read = readMailSettings();
    EXPECT_EQ(read.serverUrl, "smtps://mail.example:465");
    EXPECT_EQ(read.sender, "from@example.com");
    EXPECT_EQ(read.userName, "user");
    EXPECT_EQ(read.password, "secret");
    EXPECT_EQ(read.timeout, std::chrono::seconds(7));
}

}  // namespace
}  // namespace annalex::report
