// The report form with real files, archives and process start in a temporary installation.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "common/failure.hpp"
#include "report/report_doubles.hpp"
#include "report/report_sandbox.hpp"
#include "report/zip_entries.hpp"

namespace annalex::testing {
namespace {

namespace fs = std::filesystem;
using report::frmErrorHand;

const errors::FailureReport kOverflow{
    "AnnalexCtrl", "Private Sub txtStartDay_Change()", "Overflow", 6, "Annalex", 0};
const errors::FailureReport kNoDescription{
    "global", "Public Function splitLine()", "", 5, "Annalex", 2};

std::set<fs::path> filesIn(const fs::path& directory) {
    std::set<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        files.insert(entry.path().filename());
    }
    return files;
}

std::uint32_t le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);  // the tests run little-endian
    return value;
}

// The report's files are private whatever the umask: they run with the usual one.
class ReportForm : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        ::setenv("LC_ALL", "C", 1);
    }
    void SetUp() override { previousMask_ = ::umask(022); }
    void TearDown() override { ::umask(previousMask_); }

    // A new form with a failure and a description, loaded as the trap would show it.
    std::unique_ptr<frmErrorHand> loadedForm(const errors::FailureReport& failure,
                                             const std::string& description) {
        auto form = std::make_unique<frmErrorHand>(doubles.services());
        form->setFailure(failure);
        form->Form_Load();
        form->edtWhatDoing.setText(description);
        return form;
    }

    ReportSandbox sandbox{ReportSandbox::Layout::ApplicationDirIsInstalled};
    FormServices doubles;

  private:
    mode_t previousMask_ = 0;
};

TEST_F(ReportForm, LoadingSavesThePictureAndDisablesTheMailOptionsWhenSigningOnFails) {
    ReportSandbox separate;  // A apart from I: the picture goes below A
    FormServices services;
    frmErrorHand form(services.services());
    EXPECT_TRUE(form.chkAttachScreen.checked());
    EXPECT_TRUE(form.chkEmailStore.checked());
    EXPECT_FALSE(form.butEMail.isDefault());

    form.Form_Load();
    EXPECT_EQ(form.applicationDir(), separate.applicationDir().string() + "\\");
    EXPECT_EQ(services.screen.captures, 1);
    EXPECT_THAT(services.pointer.changes,
                ::testing::ElementsAre(MousePointer::Hourglass, MousePointer::Default));
    EXPECT_TRUE(form.butEMail.isDefault());
    for (const report::FormControl* option : std::initializer_list<const report::FormControl*>{
             &form.chkEmailStore, &form.lblInfo, &form.chkAttachScreen, &form.Image3,
             &form.butEMail}) {
        EXPECT_FALSE(option->enabled()) << option->name();
    }
    EXPECT_TRUE(form.butClose.enabled());
    EXPECT_TRUE(form.edtWhatDoing.enabled());
    EXPECT_FALSE(form.reportMailed());
    // The form says why mail is off.
    EXPECT_EQ(form.lblMailStatus.caption(),
              std::string(frmErrorHand::kMailUnavailable) +
                  "no mail server is configured (setting MailServer)");

    // A 24-bit bitmap with no palette: rows bottom up, 5 * 3 bytes padded to 16.
    const std::string bitmap =
        ReportSandbox::read(separate.applicationDir() / "Error Logs" / "screenShot.bmp");
    ASSERT_EQ(bitmap.size(), 54u + 3 * 16);
    EXPECT_EQ(bitmap.substr(0, 2), "BM");
    EXPECT_EQ(le32(bitmap, 2), bitmap.size());
    EXPECT_EQ(le32(bitmap, 10), 54u);  // pixels right after the headers: no palette
    EXPECT_EQ(le32(bitmap, 18), 5u);
    EXPECT_EQ(le32(bitmap, 22), 3u);
    EXPECT_EQ(bitmap[28], 24);
    EXPECT_EQ(le32(bitmap, 46), 0u);  // no colours used from a palette
    // Pixel (x, y) has red x, green y, blue 0x40; the first row in the file is y = 2.
    for (int row = 0; row < 3; ++row) {
        for (int x = 0; x < 5; ++x) {
            const std::size_t at = 54 + static_cast<std::size_t>(row) * 16 + x * 3;
            EXPECT_EQ(bitmap.substr(at, 3),
                      std::string({'\x40', static_cast<char>(2 - row), static_cast<char>(x)}));
        }
    }
    EXPECT_FALSE(fs::exists(separate.installed() / "Error Logs" / "screenShot.bmp"));
}

TEST_F(ReportForm, EachCloseAppendsOneWholeEntryByteForByte) {
    const fs::path workingDirectory = fs::current_path();
    // Line breaks typed as the text box gives them (LF alone) are written CR LF.
    auto first = loadedForm(kOverflow, "Typing the start day\nthen OK\r\nand Tab");
    first->butClose_Click();
    EXPECT_TRUE(first->unloaded());
    EXPECT_EQ(fs::current_path(), workingDirectory);  // put back after writing the archive
    auto second = loadedForm(kNoDescription, " two  words ");
    second->butClose_Click();

    const std::string stamp =
        "Date & Time    : Mon Jul 23 22:14:39 2001\r\n"
        "Date Compiled  : 23/07/2001 22:14:39\r\n"
        "Build          : 2.0.54\r\n";
    const std::string separator = "------------------------------------------------\r\n";
    EXPECT_EQ(ReportSandbox::read(sandbox.errorLogs() / "VmError.log"),
              stamp +
                  "Module         : AnnalexCtrl\r\n"
                  "Procedure      : Private Sub txtStartDay_Change()\r\n"
                  "Number         : 6\r\n"
                  "Description    : Overflow\r\n"
                  "Last DLL Error : 0\r\n"
                  "Source         : Annalex\r\n"
                  "Description    : Typing the start day\r\nthen OK\r\nand Tab\r\n" +
                  separator + stamp +
                  "Module         : global\r\n"
                  "Procedure      : Public Function splitLine()\r\n"
                  "Number         : 5\r\n"
                  "Description    : \r\n"
                  "Last DLL Error : 2\r\n"
                  "Source         : Annalex\r\n"
                  "Description    :  two  words \r\n" +
                  separator);
    // Each close started the restart program once, in I + "System".
    const std::string system = fs::canonical(sandbox.installed() / "System").string();
    EXPECT_EQ(sandbox.restarts(2), system + "\n" + system + "\n");
}

TEST_F(ReportForm, TheArchiveHoldsTheLogAndTheAttachmentsThatAreTicked) {
    std::ofstream(sandbox.applicationDir() / "Velmora.vms") << "supporting data";
    std::size_t closes = 0;
    for (const bool screen : {true, false}) {
        for (const bool store : {true, false}) {
            SCOPED_TRACE(std::string("screen ") + (screen ? "on" : "off") + ", store " +
                         (store ? "on" : "off"));
            // The support address is a setting, read at each close.
            const std::string address = screen ? "support@velmora.example" : "help@example.org";
            if (!screen) {
                ReportSandbox::setSetting("SupportAddress", address);
            }
            const auto before = filesIn(sandbox.errorLogs());
            auto form = loadedForm(kOverflow, "Closing");
            // Saved as "screenShot.bmp", attached and deleted as "screenshot.bmp".
            const std::string picture = ReportSandbox::read(sandbox.errorLogs() / "screenShot.bmp");
            form->chkAttachScreen.setChecked(screen);
            form->chkEmailStore.setChecked(store);
            doubles.messages.shown.clear();
            form->butClose_Click();
            ++closes;

            auto after = filesIn(sandbox.errorLogs());
            EXPECT_EQ(after.count("screenShot.bmp"), 0u);
            std::vector<fs::path> added;
            for (const fs::path& name : after) {
                if (before.count(name) == 0 && name.extension() == ".zip") {
                    added.push_back(name);
                }
            }
            ASSERT_EQ(added.size(), 1u);
            const std::string archiveName = added[0].string();
            EXPECT_TRUE(std::regex_match(archiveName, std::regex("vmt[0-9A-F]+\\.zip")))
                << archiveName;

            std::map<std::string, std::string> expected = {
                {"VmError.log", ReportSandbox::read(sandbox.errorLogs() / "VmError.log")}};
            if (screen) {
                expected["screenShot.bmp"] = picture;
            }
            if (store) {
                expected["Velmora.vms"] = "supporting data";
            }
            EXPECT_EQ(readZip(sandbox.errorLogs() / archiveName), expected);
            EXPECT_EQ(fs::status(sandbox.errorLogs() / archiveName).permissions(),
                      fs::perms::owner_read | fs::perms::owner_write);

            ASSERT_EQ(doubles.messages.shown.size(), 1u);
            EXPECT_EQ(
                doubles.messages.shown[0],
                (MessageBoxRequest{
                    "Information",
                    "Please email the file '" + (sandbox.errorLogs() / archiveName).string() +
                        "' to " + address +
                        ".\nIt will help us to more easily correct the problem that caused this "
                        "error",
                    MessageIcon::Information, MessageModality::System, true}));
            // Nothing is left in the temporary directory.
            EXPECT_TRUE(fs::is_empty(sandbox.tmp()));
        }
    }
    const std::string restarts = sandbox.restarts(closes);
    EXPECT_EQ(static_cast<std::size_t>(std::count(restarts.begin(), restarts.end(), '\n')), closes);
}

TEST_F(ReportForm, ASpacesOnlyDescriptionIsRefusedAndWritesNothing) {
    auto form = loadedForm(kOverflow, "   ");
    form->butClose_Click();
    EXPECT_THAT(doubles.messages.shown,
                ::testing::ElementsAre(MessageBoxRequest{
                    "Annalex",
                    "Please enter a brief description of what you were doing prior to this "
                    "fatal error",
                    MessageIcon::None, MessageModality::System, true}));
    EXPECT_FALSE(form->unloaded());
    EXPECT_EQ(filesIn(sandbox.errorLogs()), std::set<fs::path>{"screenShot.bmp"});
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(sandbox.root() / "restarts"));
}

// Missing or empty, "Installed" and "ApplicationDir" are the user's data folder, not the root.
TEST_F(ReportForm, WithoutInstalledOrApplicationDirTheUsersDataFolderStandsIn) {
    ::setenv("XDG_DATA_HOME", (sandbox.root() / "data").c_str(), 1);
    ReportSandbox::setSetting("Installed", "");
    ReportSandbox::setSetting("ApplicationDir", "");
    const fs::path logs = sandbox.root() / "data" / "annalex" / "Error Logs";
    auto form = loadedForm(kOverflow, "No installation");
    EXPECT_TRUE(fs::exists(logs / "screenShot.bmp"));
    form->butClose_Click();
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_NE(ReportSandbox::read(logs / "VmError.log").find("No installation"), std::string::npos);
    EXPECT_THAT(doubles.messages.texts(), ::testing::ElementsAre(::testing::StartsWith(
                                              "Please email the file '" + logs.string() + "/vmt")));
}

}  // namespace
}  // namespace annalex::testing
