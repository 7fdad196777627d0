// The report form's mail button and load-time session test against a real SMTP server.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <filesystem>

#include "report/report_doubles.hpp"
#include "report/report_sandbox.hpp"
#include "report/report_text.hpp"
#include "report/smtp_test_server.hpp"
#include "report/zip_entries.hpp"

namespace annalex::testing {
namespace {

namespace fs = std::filesystem;
using report::frmErrorHand;
using report::testing::SmtpTestServer;

const errors::FailureReport kOverflow{
    "AnnalexCtrl", "Private Sub txtStartDay_Change()", "Overflow", 6, "Annalex", 0};

bool mailOptionsEnabled(const frmErrorHand& form) {
    return form.chkEmailStore.enabled() && form.lblInfo.enabled() &&
           form.chkAttachScreen.enabled() && form.Image3.enabled() && form.butEMail.enabled();
}

class ReportMail : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        ::setenv("LC_ALL", "C", 1);
    }

    // Starts a server in the mode given and points the settings at it.
    void startServer(const std::string& mode) {
        fs::create_directories(sandbox.root() / "smtp");
        server = std::make_unique<SmtpTestServer>(mode, sandbox.root() / "smtp");
        ReportSandbox::setSetting("MailServer", server->url());
        ReportSandbox::setSetting("MailSender", "ledgerly@example.com");
    }

    std::unique_ptr<frmErrorHand> loadedForm(const std::string& description) {
        auto form = std::make_unique<frmErrorHand>(doubles.services());
        form->setFailure(kOverflow);
        form->Form_Load();
        form->edtWhatDoing.setText(description);
        std::ofstream(sandbox.applicationDir() / "Velmora.vms") << "supporting";
        return form;
    }

    fs::path screenShot() const { return sandbox.applicationDir() / "Error Logs/screenShot.bmp"; }

    ReportSandbox sandbox;
    FormServices doubles;
    std::unique_ptr<SmtpTestServer> server;
};

TEST_F(ReportMail, MailsTheBodyAndTheTickedFilesThenCloseSkipsTheArchive) {
    startServer("accept");
    // The text box's own line break (LF alone) goes out as CR LF.
    auto form = loadedForm("Typing the start day\nthen OK");
    ASSERT_TRUE(mailOptionsEnabled(*form));
    const std::string picture = ReportSandbox::read(screenShot());

    form->butEMail.click();
    EXPECT_TRUE(form->reportMailed());
    ASSERT_EQ(doubles.messages.shown.size(), 1u);
    EXPECT_EQ(doubles.messages.shown[0].title, "Thank you");
    EXPECT_EQ(doubles.messages.shown[0].text, "The error log has been successfully sent");

    EXPECT_EQ(server->received(1, "envelope"), "ledgerly@example.com\nsupport@velmora.example\n");
    EXPECT_EQ(server->received(1, "subject"), "Velmora Ledgerly Error");
    EXPECT_EQ(server->received(1, "body"),
              " \r\nDescription:\r\nTyping the start day\r\nthen OK\r\n\r\n"
              "Date & Time    : " +
                  report::generalDateText(doubles.clock.moment) +
                  "\r\n"
                  "Date Compiled  : 23/07/2001 22:14:39\r\n"
                  "Build          : 2.0.54\r\n"
                  "Module         : AnnalexCtrl\r\n"
                  "Procedure      : Private Sub txtStartDay_Change()\r\n"
                  "Number         : 6\r\n"
                  "Description    : Overflow\r\n"
                  "Last DLL Error : 0\r\n"
                  "Source         : Annalex\r\n");
    const std::string parts = server->received(1, "parts");
    ASSERT_EQ(parts.substr(0, parts.find('\t')), "application/zip");
    const fs::path archive = sandbox.root() / "received.zip";
    std::ofstream(archive, std::ios::binary) << server->received(1, "attachment-1");
    const auto entries = readZip(archive);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries.at("Velmora.vms"), "supporting");
    EXPECT_EQ(entries.at("screenShot.bmp"), picture);
    // The picture and the archive are gone; nothing is left in the temporary directory.
    EXPECT_FALSE(fs::exists(screenShot()));
    EXPECT_TRUE(fs::is_empty(sandbox.tmp()));

    // Sent once: the mail button is done, Close is the default, a second press sends nothing.
    EXPECT_FALSE(form->butEMail.enabled());
    EXPECT_FALSE(form->butEMail.isDefault());
    EXPECT_TRUE(form->butClose.isDefault());
    EXPECT_EQ(form->lblMailStatus.caption(), "The report was sent to support@velmora.example.");
    form->butEMail.click();
    EXPECT_EQ(doubles.messages.shown.size(), 1u);
    EXPECT_FALSE(server->receivedAny(2));

    form->butClose.click();
    EXPECT_EQ(doubles.messages.shown.size(), 1u);  // no "Please email the file" message
    EXPECT_EQ(std::distance(fs::directory_iterator(sandbox.errorLogs()), {}),
              1);  // the log, no archive
    EXPECT_NE(ReportSandbox::read(sandbox.errorLogs() / "VmError.log").find("then OK"),
              std::string::npos);
    EXPECT_EQ(sandbox.restarts(), (sandbox.installed() / "System").string() + "\n");
}

TEST_F(ReportMail, WithNothingTickedAnEmptyArchiveIsStillAttached) {
    startServer("accept");
    ReportSandbox::setSetting("SupportAddress", "help@example.com");
    auto form = loadedForm("x");
    form->chkAttachScreen.setChecked(false);
    form->chkEmailStore.setChecked(false);
    form->butEMail.click();
    EXPECT_EQ(server->received(1, "envelope"), "ledgerly@example.com\nhelp@example.com\n");
    const fs::path archive = sandbox.root() / "received.zip";
    std::ofstream(archive, std::ios::binary) << server->received(1, "attachment-1");
    EXPECT_TRUE(readZip(archive).empty());
    EXPECT_FALSE(fs::exists(screenShot()));  // deleted even when not attached
}

TEST_F(ReportMail, ARejectedMessageSaysSoAndLeavesTheReportUnmailed) {
    startServer("reject");
    auto form = loadedForm("x");
    form->butEMail.click();
    EXPECT_FALSE(form->reportMailed());
    EXPECT_THAT(doubles.messages.shown,
                ::testing::ElementsAre(MessageBoxRequest{
                    "Error", "The error log failed to be sent due to a mail error",
                    MessageIcon::Information, MessageModality::System, true}));
    EXPECT_THAT(form->lblMailStatus.caption(),
                ::testing::AllOf(::testing::StartsWith(frmErrorHand::kMailNotSent),
                                 ::testing::HasSubstr("550")));
    EXPECT_TRUE(fs::is_empty(sandbox.tmp()));
    // The picture stays for another try, or for the archive of the close button.
    EXPECT_TRUE(fs::exists(screenShot()));
    EXPECT_TRUE(form->butEMail.enabled());

    // The close button then still leaves an archive for the person to send.
    form->butClose.click();
    EXPECT_EQ(doubles.messages.shown.back().title, "Information");
}

// Why mail failed is said beside the options: a server gone by the press, an address setting
// that is not one address (a line break there would add SMTP commands).
TEST_F(ReportMail, WhyMailFailedIsSaid) {
    const struct {
        const char* setting;
        const char* value;
        const char* said;
    } cases[] = {
        {"MailServer", "", "smtp://127.0.0.1:"},  // a server at load time, gone by the press
        {"SupportAddress", "help@example.com>\r\nRCPT TO:<evil@x.example>\r\nDATA\r\n.",
         "SupportAddress"},
        {"MailSender", "ledgerly@example.com, evil@x.example", "MailSender"},
    };
    for (const auto& example : cases) {
        SCOPED_TRACE(example.value);
        startServer("accept");
        if (*example.value != '\0') {
            ReportSandbox::setSetting(example.setting, example.value);
        }
        auto form = loadedForm("x");
        EXPECT_EQ(mailOptionsEnabled(*form), *example.value == '\0');
        if (*example.value == '\0') {
            server.reset();
        }
        doubles.messages.shown.clear();
        form->butEMail_Click();
        EXPECT_EQ(doubles.messages.texts(),
                  std::vector<std::string>{"The error log failed to be sent due to a mail error"});
        EXPECT_THAT(form->lblMailStatus.caption(), ::testing::HasSubstr(example.said));
        EXPECT_TRUE(fs::exists(screenShot()));  // nothing was packed or deleted
        server.reset();                         // the server ends: all it received is written
        EXPECT_FALSE(fs::exists(sandbox.root() / "smtp" / "mail-1.eml"));
        ReportSandbox::setSetting("SupportAddress", "");
    }
}

}  // namespace
}  // namespace annalex::testing
