// The error report on Windows as a person meets it. The page sits in Wine's ATL container in a
// host's form; its dimension is the tests' cube recorder, which refuses the product's own
// objects (cubeLibrary "Annalex"), so that OK fails in addLevels and again in addYears. The
// report form is found as the top-level dialog "Unexpected Error" and worked with the keyboard
// through the host's message loop. Mail goes to the tests' own simple-MAPI client
// (mail_client/), registered as the default mail client for the program's run. It needs a
// display (Xvfb in scripts/windows.sh); report_checks.sh runs it and then checks the archives
// with unzip and that the restart program started the program again.

#include <gmock/gmock.h>

#include <chrono>
#include <functional>
#include <regex>
#include <set>
#include <thread>

#include "com_test_support.hpp"
#include "platform/report_controls.hpp"
#include "report_sandbox.hpp"
#include "window_test_support.hpp"

namespace annalex::testing {
namespace {

using namespace platform;  // the form's control IDs

constexpr wchar_t kFormTitle[] = L"Unexpected Error";
const ShownBox kNoDescription{
    L"Annalex",
    L"Please enter a brief description of what you were doing prior to this fatal error", false,
    true};

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());  // the texts checked here are ASCII
}

// The simple-MAPI client of the tests as the default mail client: registered before mapi32.dll
// is first loaded (it reads the registration once), removed at the end.
class DefaultMailClient : public ::testing::Environment {
  public:
    void SetUp() override {
        const std::wstring dll = (programFolder() / "annalex_test_mail.dll").wstring();
        const std::wstring name = L"Annalex Test Mail";
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Clients\\Mail", nullptr, REG_SZ,
                        name.c_str(), static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, (L"Software\\Clients\\Mail\\" + name).c_str(),
                        L"DLLPath", REG_SZ, dll.c_str(),
                        static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t)));
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Clients\\Mail\\Annalex Test Mail");
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Clients\\Mail", nullptr);
    }
};

class FailingPage : public ContainedControl {
  protected:
    void SetUp() override {
        ContainedControl::SetUp();
        recorder_ = std::make_unique<RegisteredRecorder>();
        ASSERT_TRUE(recorder_->ready());
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        product_ = std::make_unique<InstalledProduct>(
            std::string(test->test_suite_name()) + "." + test->name(), withRestartProgram());
        mailFolder_ = product_->root().parent_path() / "mail";
        std::filesystem::create_directories(mailFolder_);
        SetEnvironmentVariableW(L"ANNALEX_TEST_MAIL", mailFolder_.c_str());

        containPage(40, 40, 700, 500);
        ASSERT_EQ(byName(ctrl.Get(), L"levels", DISPATCH_PROPERTYPUT, L"Year,Month"), "");
        giveHostDimension(recorder_->newDimension(), L"Annalex");
        pump();
    }
    void TearDown() override {
        if (const HWND left = form(); left != nullptr) {
            DestroyWindow(left);  // a test that failed half way: the form is unloaded
        }
        releaseContainer();
        SetEnvironmentVariableW(L"ANNALEX_TEST_MAIL", nullptr);
        SetEnvironmentVariableW(L"ANNALEX_TEST_MAIL_REFUSE", nullptr);
        product_.reset();
        recorder_.reset();
        RegisteredServer::TearDown();
    }

    virtual bool withRestartProgram() const { return false; }

    // Pumps until done says so, for at most ten seconds (the mail client is asked on a thread).
    bool pumpUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done() && std::chrono::steady_clock::now() < end) {
            pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }

    // OK on the page: the "Info" box, then the failures.
    void pressOk() {
        ASSERT_EQ(ctrl->clickOk(), S_OK);
        pump();
    }
    static HWND form() { return FindWindowW(L"#32770", kFormTitle); }
    static HWND item(int id) { return GetDlgItem(form(), id); }
    bool mailChecked() {
        return pumpUntil([] {
            return IsWindowEnabled(item(kButEMail)) ||
                   windowText(item(kLblMailStatus)).starts_with(L"E-mail is not available");
        });
    }

    // The six failure lines of the last failure, as the control kept them for its host, with
    // the log's line ends.
    std::string lastFailureLines() {
        LONG count = 0;
        EXPECT_EQ(ctrl->get_messageCount(&count), S_OK);
        BSTR text = nullptr;
        EXPECT_EQ(ctrl->get_messageText(count - 1, &text), S_OK);
        const std::string lines =
            std::regex_replace(narrow(text ? text : L""), std::regex("\n"), "\r\n");
        SysFreeString(text);
        return lines;
    }
    std::string mailRecord(const char* name) const { return fileText(mailFolder_ / name); }

    // How many different colours a window shows, at 400 points spread over it.
    static std::size_t coloursShown(HWND window) {
        UpdateWindow(GetAncestor(window, GA_ROOT));
        RECT area{};
        GetClientRect(window, &area);
        const HDC device = GetDC(window);
        std::set<COLORREF> colours;
        for (int x = 1; x <= 20; ++x) {
            for (int y = 1; y <= 20; ++y) {
                colours.insert(GetPixel(device, area.right * x / 21, area.bottom * y / 21));
            }
        }
        ReleaseDC(window, device);
        return colours.size();
    }

    std::unique_ptr<RegisteredRecorder> recorder_;
    std::unique_ptr<InstalledProduct> product_;
    std::filesystem::path mailFolder_;
};

class FailingPageToRestart : public FailingPage {
  protected:
    bool withRestartProgram() const override { return checkedByScript(); }
};

TEST_F(FailingPageToRestart, TheReportClosesTheHostsFormAndCloseLogsArchivesAndRestarts) {
    BoxCloser boxes;
    pressOk();

    // The host's form is closed and the report form shows, the focus in the description box.
    EXPECT_FALSE(IsWindow(host_));
    ASSERT_NE(form(), nullptr);
    EXPECT_TRUE(IsWindowVisible(form()));
    EXPECT_EQ(GetFocus(), item(kEdtWhatDoing));
    // The picture of the screen as the failure found it, shown: not a blank box. (How many
    // colours it holds depends on how much of the screen was repainted when it was taken.)
    EXPECT_GT(coloursShown(item(kImage1)), 2u);
    // The mail client signed on: the options are there, E-Mail the default button.
    ASSERT_TRUE(mailChecked());
    EXPECT_TRUE(IsWindowEnabled(item(kButEMail)));
    EXPECT_NE(GetWindowLongW(item(kButEMail), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);

    type(L"Pressed OK");
    press(VK_RETURN);  // a line break in the description, not the default button
    type(L"on a refusing cube");
    for (int i = 0; i < 4; ++i) {
        press(VK_TAB);  // the check boxes, E-Mail, Close
    }
    ASSERT_EQ(GetFocus(), item(kButClose));
    press(VK_SPACE);

    EXPECT_EQ(form(), nullptr);
    const std::vector<std::filesystem::path> archives = product_->archives();
    ASSERT_EQ(archives.size(), 1u);
    EXPECT_THAT(boxes.shown,
                ::testing::ElementsAre(
                    kInfo, ShownBox{L"Information",
                                    L"Please email the file '" + archives[0].wstring() +
                                        L"' to support@velmora.example.\nIt will help us to "
                                        L"more easily correct the problem that caused this error",
                                    true, true}));
    // One entry, the second failure's (addYears after addLevels).
    EXPECT_THAT(lastFailureLines(),
                ::testing::HasSubstr("Procedure      : Private Sub addYears()"));
    // (The entry's layout is the form's; here the line breaks typed into the box.)
    const std::string log = fileText(product_->log());
    EXPECT_TRUE(log.starts_with("Date & Time    : ") && log.rfind("Date & Time") == 0) << log;
    EXPECT_TRUE(log.ends_with(lastFailureLines() +
                              "Description    : Pressed OK\r\non a refusing cube\r\n" +
                              std::string(48, '-') + "\r\n"))
        << log;
    EXPECT_FALSE(std::filesystem::exists(product_->errorLogs() / "screenshot.bmp"));
    noteArchive(archives[0], "Velmora.vms screenshot.bmp VmError.log");

    if (checkedByScript()) {
        // report_checks.sh waits for the program to be started again, with this command line in
        // this directory, once it has ended.
        std::ofstream(workFolder() / "restart-expected", std::ios::binary)
            << narrow(GetCommandLineW()) << "\n"
            << std::filesystem::current_path().string() << "\n";
    }
}

// Escape and the close box never throw the report away: without a description it stays, the
// cursor in the description box (the blanks selected, so that typing replaces them); with one
// they do what Close does.
TEST_F(FailingPage, EscapeAndTheCloseBoxNeverThrowTheReportAwayAndDoWhatCloseDoes) {
    BoxCloser boxes;
    pressOk();
    ASSERT_NE(form(), nullptr);
    ASSERT_TRUE(mailChecked());

    type(L"   ");
    press(VK_ESCAPE);
    EXPECT_THAT(boxes.shown, ::testing::ElementsAre(kInfo, kNoDescription));
    ASSERT_NE(form(), nullptr);
    EXPECT_EQ(GetFocus(), item(kEdtWhatDoing));
    EXPECT_FALSE(std::filesystem::exists(product_->log()));

    type(L"Closed otherwise");
    PostMessageW(form(), WM_SYSCOMMAND, SC_CLOSE, 0);
    pump();
    EXPECT_EQ(form(), nullptr);
    EXPECT_THAT(fileText(product_->log()),
                ::testing::HasSubstr("Description    : Closed otherwise\r\n-----"));
    EXPECT_EQ(product_->archives().size(), 1u);
    EXPECT_EQ(boxes.shown.size(), 3u);  // and "Please email the file ..."
}

TEST_F(FailingPage, EMailGoesThroughTheDefaultMailClientAndCloseThenMakesNoArchive) {
    BoxCloser boxes;
    pressOk();
    ASSERT_TRUE(mailChecked());
    const std::string probe = mailRecord("calls");
    type(L"Mailed it");
    for (int i = 0; i < 3; ++i) {
        press(VK_TAB);  // the check boxes, E-Mail
    }
    ASSERT_EQ(GetFocus(), item(kButEMail));
    press(VK_RETURN);

    EXPECT_THAT(boxes.shown,
                ::testing::ElementsAre(
                    kInfo, ShownBox{L"Thank you", L"The error log has been successfully sent", true,
                                    true}));
    EXPECT_EQ(probe, "MAPILogon flags=0\nMAPILogoff\n");
    EXPECT_EQ(mailRecord("calls"), probe +
                                       "MAPILogon flags=0\n"
                                       "MAPIResolveName support@velmora.example flags=0\n"
                                       "MAPISendMail flags=0\nMAPILogoff\n");
    EXPECT_EQ(mailRecord("recipients"), "1 support@velmora.example SMTP:support@velmora.example\n");
    EXPECT_EQ(mailRecord("subject"), "Velmora Ledgerly Error");
    const std::string body = mailRecord("body");
    EXPECT_TRUE(body.starts_with(" \r\nDescription:\r\nMailed it\r\n\r\nDate & Time") &&
                body.ends_with(lastFailureLines()))
        << body;
    // One attachment: a data file at the body's first position, the temporary archive, gone now.
    const std::string files = mailRecord("files");
    std::smatch attached;
    ASSERT_TRUE(
        std::regex_match(files, attached, std::regex(R"(0 0 (.+\\vmt[0-9A-Fa-f]{1,4}\.zip)\n)")))
        << files;
    EXPECT_FALSE(std::filesystem::exists(attached[1].str()));
    noteArchive(mailFolder_ / "attachment1", "Velmora.vms screenshot.bmp");
    // Sent once: E-Mail is disabled and Close the default button.
    EXPECT_FALSE(IsWindowEnabled(item(kButEMail)));
    EXPECT_NE(GetWindowLongW(item(kButClose), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);

    SendMessageW(item(kButClose), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(form(), nullptr);
    EXPECT_THAT(fileText(product_->log()), ::testing::HasSubstr("Description    : Mailed it\r\n"));
    EXPECT_TRUE(product_->archives().empty());
    EXPECT_EQ(boxes.shown.size(), 2u);  // no "Please email the file ..."
}

// A client that resolves no names is given the address itself.
TEST_F(FailingPage, AMailClientThatResolvesNoNamesIsGivenTheAddress) {
    SetEnvironmentVariableW(L"ANNALEX_TEST_MAIL_REFUSE", L"resolve");
    BoxCloser boxes;
    pressOk();
    ASSERT_TRUE(mailChecked());
    type(L"Mailed it");
    SendMessageW(item(kButEMail), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(mailRecord("recipients"), "1 support@velmora.example SMTP:support@velmora.example\n");
}

TEST_F(FailingPage, ASignOnTheMailClientRefusesDisablesTheMailOptions) {
    SetEnvironmentVariableW(L"ANNALEX_TEST_MAIL_REFUSE", L"1");
    BoxCloser boxes;
    pressOk();
    ASSERT_TRUE(mailChecked());
    EXPECT_TRUE(windowText(item(kLblMailStatus)).ends_with(L"(MAPI error 3)"));
    EXPECT_FALSE(IsWindowEnabled(item(kButEMail)));
}

TEST_F(FailingPage, WhileTheContainerTakesNoModelessWindowOkWaitsForTheModalForm) {
    ASSERT_EQ(active_->EnableModeless(FALSE), S_OK);
    BoxCloser boxes;
    // The form is worked from inside its own modal loop, as soon as it is set up.
    bool sawForm = false;
    boxes.onOtherDialog = [&sawForm](HWND shown) {
        sawForm = windowText(shown) == kFormTitle;
        for (const wchar_t character : std::wstring(L"Closed while modal")) {
            PostMessageW(GetDlgItem(shown, kEdtWhatDoing), WM_CHAR, character, 1);
        }
        PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
    };
    pressOk();
    // OK came back once the form was closed: the entry is written, the form gone.
    EXPECT_TRUE(sawForm);
    EXPECT_EQ(form(), nullptr);
    // The first failure, as the recorder refused the product's own hierarchy.
    EXPECT_THAT(
        fileText(product_->log()),
        ::testing::HasSubstr("Procedure      : Private Sub addLevels()\r\nNumber         : 5\r\n"
                             "Description    : Dimension.addHierarchy failed: Not an "
                             "object of the recorder\r\n"));
    EXPECT_THAT(fileText(product_->log()),
                ::testing::HasSubstr("\r\nSource         : CubeRecorder\r\n"));
    EXPECT_THAT(fileText(product_->log()),
                ::testing::HasSubstr("Description    : Closed while modal\r\n"));
}

}  // namespace
}  // namespace annalex::testing

// Started again by the restart program (report_checks.sh asked for it): says so and ends.
bool restartedByTheReport() {
    namespace fs = std::filesystem;
    using annalex::testing::workFolder;
    if (!annalex::testing::checkedByScript() || !fs::exists(workFolder() / "restart-expected") ||
        fs::exists(workFolder() / "restarted")) {
        return false;
    }
    const std::wstring commandLine = GetCommandLineW();
    std::ofstream(workFolder() / "restarted", std::ios::binary)
        << std::string(commandLine.begin(), commandLine.end()) << "\n"
        << fs::current_path().string() << "\n";
    return true;
}

int main(int argc, char** argv) {
    if (restartedByTheReport()) {
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new annalex::testing::DefaultMailClient);
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    OleInitialize(nullptr);
    return RUN_ALL_TESTS();
}
