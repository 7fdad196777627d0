// The report form's Windows services without the form: Win32 files, zip
// archives written with zlib (report_checks.sh tests and lists them with unzip), the screen
// picture by GDI, and VmRestart giving up on a host that does not end.

#include <aclapi.h>
#include <gmock/gmock.h>
#include <windows.h>

#include <random>
#include <set>
#include <tuple>

#include "common/failure.hpp"
#include "common/utf8_path.hpp"
#include "platform/gdi_screen_capture.hpp"
#include "report/win32_files.hpp"
#include "report/zlib_archive.hpp"
#include "report_sandbox.hpp"
#include "window_test_support.hpp"

namespace annalex::testing {
namespace {

using report::Win32Files;

class ReportServices : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = workFolder() / "services" /
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
    Win32Files files_;
};

// Whether the file's access list allows the current user and no one else (the system itself
// aside). (Where the file system keeps no extended attributes, Wine shows the Unix mode as the
// access list: the user and the system, and Everyone when others may read.)
bool privateToTheUser(const std::string& file) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    HANDLE token = nullptr;
    BYTE user[512];
    DWORD size = sizeof user;
    if (GetNamedSecurityInfoA(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS ||
        acl == nullptr || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !GetTokenInformation(token, TokenUser, user, size, &size)) {
        return false;
    }
    CloseHandle(token);
    std::set<std::string> allowed;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* ace = nullptr;
        GetAce(acl, i, &ace);
        PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
        allowed.insert(EqualSid(sid, reinterpret_cast<TOKEN_USER*>(user)->User.Sid)
                           ? "user"
                           : (IsWellKnownSid(sid, WinLocalSystemSid) ? "system" : "others"));
    }
    LocalFree(descriptor);
    return allowed.contains("user") && !allowed.contains("others");
}

TEST_F(ReportServices, WhatTheReportWritesIsPrivateToTheUserAndLogEntriesAreAppended) {
    const std::string picture = path("screenShot.bmp");
    std::ofstream(picture) << "an older picture";
    files_.writePrivateFile(picture, "BM new");
    const std::string log = path("VmError.log");
    files_.appendLogEntry(log, "first\r\n");
    files_.appendLogEntry(log, "second\r\n");
    ASSERT_TRUE(files_.createDirectory(path("Error Logs")));
    EXPECT_FALSE(files_.createDirectory(path("Error Logs")));

    EXPECT_EQ(fileText(picture), "BM new");
    EXPECT_EQ(fileText(log), "first\r\nsecond\r\n");
    for (const std::string& made : {picture, log, path("Error Logs")}) {
        EXPECT_TRUE(privateToTheUser(made)) << made;
    }
    // Nothing is left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                            std::filesystem::directory_iterator()),
              3);
}

TEST_F(ReportServices, AFailingCallNamesThePathAndKeepsTheSystemsCode) {
    const std::string missing = path("missing");
    const std::vector<std::tuple<std::function<void()>, ErrorNumber, DWORD>> cases{
        {[&] { files_.appendLogEntry(missing + "\\VmError.log", "entry"); },
         ErrorNumber::PathNotFound, ERROR_PATH_NOT_FOUND},
        {[&] { files_.moveFile(missing, path("there")); }, ErrorNumber::FileNotFound,
         ERROR_FILE_NOT_FOUND},
    };
    for (const auto& [call, number, systemError] : cases) {
        try {
            call();
            ADD_FAILURE() << "no failure";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.number(), static_cast<std::int32_t>(number));
            EXPECT_THAT(failure.description(), ::testing::HasSubstr("'" + missing));
            EXPECT_EQ(failure.lastSystemError(), static_cast<std::int32_t>(systemError));
        }
    }
}

TEST_F(ReportServices, ArchivesHoldTheFilesAddedUnderTheirOwnNames) {
    std::string random(300000, '\0');
    std::mt19937 numbers(7);
    for (char& byte : random) {
        byte = static_cast<char>(numbers() % 4);  // compressible, not trivially
    }
    std::ofstream(path("a.txt"), std::ios::binary) << "a few words\r\n";
    std::ofstream(path("empty.txt"), std::ios::binary);
    std::ofstream(path("big.bin"), std::ios::binary) << random;
    const std::string omega = "\xCE\xA9mega.txt";  // UTF-8
    std::ofstream(utf8Path((folder_ / "").string() + omega), std::ios::binary) << "omega";

    report::ZlibArchives archives(files_);
    const std::string archive = path("files.zip");
    {
        const auto made = archives.create(archive);
        for (const std::string name : {"a.txt", "empty.txt", "big.bin"}) {
            EXPECT_TRUE(made->addFile(path(name))) << name;
        }
        EXPECT_TRUE(made->addFile((folder_ / "").string() + omega));
        EXPECT_FALSE(made->addFile(path("missing.txt")));
        ASSERT_TRUE(made->write());
    }
    EXPECT_TRUE(privateToTheUser(archive));
    EXPECT_LT(std::filesystem::file_size(archive), random.size() / 2);
    noteArchive(archive, "a.txt empty.txt big.bin " + omega);

    // No files: the end record alone. A folder that is not there: not written.
    const std::string empty = path("empty.zip");
    ASSERT_TRUE(archives.create(empty)->write());
    EXPECT_EQ(fileText(empty), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    EXPECT_FALSE(archives.create(path("missing\\files.zip"))->write());
}

TEST(GdiScreenCapture, ThePictureIsTheWholeScreenAsShownOnATrueColourDisplay) {
    // A window of a known colour at a known place on the screen.
    constexpr COLORREF kColour = RGB(0x12, 0x9A, 0xCD);
    const HBRUSH brush = CreateSolidBrush(kColour);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &DefWindowProcW;
    windowClass.hbrBackground = brush;
    windowClass.lpszClassName = L"AnnalexCaptureTarget";
    RegisterClassExW(&windowClass);
    const HWND target =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, windowClass.lpszClassName, L"",
                        WS_POPUP | WS_VISIBLE, 100, 80, 64, 48, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    UpdateWindow(target);
    pumpMessages(nullptr);

    const auto picture = platform::captureScreen();
    ASSERT_TRUE(picture);
    ComPtr<IPicture> handles;
    ASSERT_EQ(picture.As(&handles), S_OK);
    SHORT type = 0;
    OLE_HANDLE palette = 1;
    handles->get_Type(&type);
    handles->get_hPal(&palette);
    EXPECT_EQ(type, PICTYPE_BITMAP);
    EXPECT_EQ(palette, 0u);  // no palette on a true-colour display

    const report::Picture pixels = platform::modelPicture(picture);
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(pixels.width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(pixels.height(), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(pixels.row(80 + 24)[100 + 32], 0xFF129ACDu);
    DestroyWindow(target);
    DeleteObject(brush);
}

TEST_F(ReportServices, VmRestartGivesUpOnAHostThatDoesNotEndAndSaysSo) {
    const InstalledProduct product("services\\VmRestart", true);
    SetEnvironmentVariableW(L"VMRESTART_WAIT_LIMIT_MS", L"200");
    // Started as the report form starts it, with this program as its host.
    const std::string system = (product.root() / "System").string();
    const std::string program = system + "\\VmRestart.exe";
    char commandLine[] = "";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessA(program.c_str(), commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                               system.c_str(), &startup, &started));
    SetEnvironmentVariableW(L"VMRESTART_WAIT_LIMIT_MS", nullptr);
    ASSERT_EQ(WaitForSingleObject(started.hProcess, 20000), WAIT_OBJECT_0);
    DWORD status = 0;
    GetExitCodeProcess(started.hProcess, &status);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    EXPECT_EQ(status, 3u);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring line = L"VmRestart: gave up waiting for " + std::wstring(self) +
                              L" (process " + std::to_wstring(GetCurrentProcessId()) +
                              L") to end\r\n";
    EXPECT_EQ(fileText(product.errorLogs() / "VmRestart.log"),
              std::string(line.begin(), line.end()));
}

}  // namespace
}  // namespace annalex::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    OleInitialize(nullptr);
    return RUN_ALL_TESTS();
}
