// The report form's Windows services without the form: Win32 files and temporary names, zip
// archives written with zlib (report_checks.sh tests and lists them with unzip), the screen
// picture by GDI, and VmRestart giving up on a host that does not end.

#include <aclapi.h>
#include <gmock/gmock.h>
#include <windows.h>

#include <random>
#include <regex>

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

// The current user's security identifier.
std::vector<BYTE> currentUser() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    GetTokenInformation(token, TokenUser, user.data(), size, &size);
    CloseHandle(token);
    return user;
}

// Whether the file's access list grants the current user and no one else (the operating system
// itself aside). (Wine keeps no access list of its own where the file system has no extended
// attributes: it shows the file's Unix mode as the user's and the system's access, with an
// entry for Everyone when others may read.)
bool privateToTheUser(const std::string& file) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const std::vector<BYTE> user = currentUser();
    BYTE system[SECURITY_MAX_SID_SIZE];
    DWORD systemSize = sizeof system;
    CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize);
    bool userAllowed = false;
    bool othersAllowed = acl == nullptr;  // no list at all: everyone
    for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        GetAce(acl, i, &ace);
        if (static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            continue;
        }
        PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
        if (EqualSid(sid, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid)) {
            userAllowed = true;
        } else if (!EqualSid(sid, system)) {
            othersAllowed = true;
        }
    }
    LocalFree(descriptor);
    return userAllowed && !othersAllowed;
}

TEST_F(ReportServices, TemporaryNamesAreNewEmptyVmtFilesInTheTemporaryFolder) {
    const std::string directory = files_.temporaryDirectory();
    ASSERT_EQ(directory.back(), '\\');
    const std::string first = files_.createTemporaryFile(directory, "vmt");
    const std::string second = files_.createTemporaryFile(directory, "vmt");
    for (const std::string& made : {first, second}) {
        EXPECT_TRUE(made.starts_with(directory)) << made;
        EXPECT_TRUE(std::regex_match(made.substr(directory.size()),
                                     std::regex(R"(vmt[0-9A-Fa-f]{1,4}\.tmp)")))
            << made;
        EXPECT_EQ(std::filesystem::file_size(made), 0u);
        files_.removeFile(made);
    }
    EXPECT_NE(first, second);
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
    struct Case {
        std::function<void()> call;
        ErrorNumber number;
        DWORD systemError;
    };
    const std::string missing = path("missing");
    const std::vector<Case> cases{
        {[&] { files_.appendLogEntry(missing + "\\VmError.log", "entry"); },
         ErrorNumber::PathNotFound, ERROR_PATH_NOT_FOUND},
        {[&] { files_.removeFile(missing); }, ErrorNumber::FileNotFound, ERROR_FILE_NOT_FOUND},
        {[&] { files_.moveFile(missing, path("there")); }, ErrorNumber::FileNotFound,
         ERROR_FILE_NOT_FOUND},
        {[&] { files_.changeDirectory(missing); }, ErrorNumber::PathNotFound, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& failing : cases) {
        try {
            failing.call();
            ADD_FAILURE() << "no failure";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.number(), static_cast<std::int32_t>(failing.number))
                << failure.description();
            EXPECT_THAT(failure.description(), ::testing::HasSubstr("'" + missing));
            EXPECT_EQ(failure.lastSystemError(), static_cast<std::int32_t>(failing.systemError));
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
        CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 100,
                        80, 64, 48, nullptr, nullptr, nullptr, nullptr);
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
