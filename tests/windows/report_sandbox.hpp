#pragma once
// An installed product for the error report's tests on Windows, below the work folder:
//
//   work\<name>\install    "Installed" and "ApplicationDir" (HKCU Software\Velmora\Defaults):
//                          "Error Logs", "System" (with VmRestart.exe when asked for) and the
//                          supporting file Velmora.vms
//
// The work folder is the one report_checks.sh names in ANNALEX_REPORT_WORK (it checks the
// archives noted in archives.txt with unzip, and the restart asked for in restart-expected,
// after the program has ended); without it, a folder of the program's own below the temporary
// directory, and nothing is restarted. The two settings are removed when the sandbox goes.

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "com_test_support.hpp"

namespace annalex::testing {

// Whether report_checks.sh runs the program (and checks what it notes).
inline bool checkedByScript() {
    return GetEnvironmentVariableW(L"ANNALEX_REPORT_WORK", nullptr, 0) > 0;
}

inline std::filesystem::path workFolder() {
    static const std::filesystem::path folder = [] {
        wchar_t named[MAX_PATH] = L"";
        if (GetEnvironmentVariableW(L"ANNALEX_REPORT_WORK", named, MAX_PATH) > 0) {
            return std::filesystem::path(named);
        }
        auto own = std::filesystem::temp_directory_path() /
                   ("annalex-report-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(own);
        return own;
    }();
    return folder;
}

// Notes an archive for report_checks.sh, which lists it with unzip and expects these names.
inline void noteArchive(const std::filesystem::path& archive, const std::string& names) {
    std::ofstream(workFolder() / "archives.txt", std::ios::app | std::ios::binary)
        << names << "\t" << archive.string() << "\n";
}

inline void setProductSetting(const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Velmora\\Defaults", name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

class InstalledProduct {
  public:
    static constexpr const char* kSupportingFile = "the product's supporting file\r\n";

    InstalledProduct(const std::string& name, bool withRestartProgram)
        : root_(workFolder() / name / "install") {
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(errorLogs());
        std::filesystem::create_directories(root_ / "System");
        std::ofstream(root_ / "Velmora.vms", std::ios::binary) << kSupportingFile;
        if (withRestartProgram) {
            std::filesystem::copy_file(programFolder().parent_path() / "System" / "VmRestart.exe",
                                       root_ / "System" / "VmRestart.exe");
        }
        setProductSetting(L"Installed", root_.wstring());
        setProductSetting(L"ApplicationDir", root_.wstring());
    }
    ~InstalledProduct() {
        for (const wchar_t* name : {L"Installed", L"ApplicationDir"}) {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Velmora\\Defaults", name);
        }
    }
    InstalledProduct(const InstalledProduct&) = delete;
    InstalledProduct& operator=(const InstalledProduct&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path errorLogs() const { return root_ / "Error Logs"; }
    std::filesystem::path log() const { return errorLogs() / "VmError.log"; }
    // The archives left in "Error Logs" for the person to send.
    std::vector<std::filesystem::path> archives() const {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(errorLogs())) {
            if (entry.path().extension() == ".zip") {
                found.push_back(entry.path());
            }
        }
        return found;
    }

  private:
    std::filesystem::path root_;
};

}  // namespace annalex::testing
