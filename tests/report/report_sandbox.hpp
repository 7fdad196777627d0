#pragma once
// A temporary installation for the error report, everything below one temporary folder:
//
//   root/settings   the settings store (ANNALEX_SETTINGS_DIR), with "Installed" and
//                   "ApplicationDir" of HKCU "Software\Velmora\Defaults" set
//   root/tmp        the temporary directory (TMPDIR)
//   root/install    I: "Error Logs" and "System" with "VmRestart.exe", a script that appends its
//                   working directory to root/restarts
//   root/app        A (or I itself when asked)
//
// The environment and the current directory are put back when the sandbox goes.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "report/product_settings.hpp"
#include "settings/registry.hpp"
#include "support/temporary_folder.hpp"

namespace annalex::testing {

class ReportSandbox {
  public:
    enum class Layout { SeparateApplicationDir, ApplicationDirIsInstalled };

    explicit ReportSandbox(Layout layout = Layout::SeparateApplicationDir)
        : previousDirectory_(std::filesystem::current_path()) {
        remember("ANNALEX_SETTINGS_DIR", settingsDir_);
        remember("TMPDIR", tmpDir_);
        std::filesystem::create_directories(root_ / "settings");
        std::filesystem::create_directories(root_ / "tmp");
        std::filesystem::create_directories(installed() / "Error Logs");
        std::filesystem::create_directories(installed() / "System");
        ::setenv("ANNALEX_SETTINGS_DIR", (root_ / "settings").c_str(), 1);
        ::setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
        applicationDir_ = layout == Layout::ApplicationDirIsInstalled ? installed() : root_ / "app";
        std::filesystem::create_directories(applicationDir_);
        setSetting("Installed", installed().string());
        setSetting("ApplicationDir", applicationDir_.string());
        writeRestartProgram();
    }
    ~ReportSandbox() {
        std::error_code ignored;
        std::filesystem::current_path(previousDirectory_, ignored);
        restore("ANNALEX_SETTINGS_DIR", settingsDir_);
        restore("TMPDIR", tmpDir_);
    }
    ReportSandbox(const ReportSandbox&) = delete;
    ReportSandbox& operator=(const ReportSandbox&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path installed() const { return root_ / "install"; }
    const std::filesystem::path& applicationDir() const { return applicationDir_; }
    std::filesystem::path errorLogs() const { return installed() / "Error Logs"; }
    std::filesystem::path tmp() const { return root_ / "tmp"; }

    static void setSetting(const std::string& name, const std::string& value) {
        settings::fWriteValue("HKCU", report::kProductKey, name, "S", value);
    }

    // The working directories the restart program was started in, one per line, once it has
    // been started `expected` times or after five seconds.
    std::string restarts(std::size_t expected = 1) const {
        return awaitLines(root_ / "restarts", expected);
    }

    // The file's text once it has at least `lines` lines, or after five seconds.
    static std::string awaitLines(const std::filesystem::path& file, std::size_t lines) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::string text = read(file);
        while (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) < lines &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            text = read(file);
        }
        return text;
    }

    static std::string read(const std::filesystem::path& file) { return readFile(file); }

  private:
    void writeRestartProgram() const {
        const auto program = installed() / "System" / "VmRestart.exe";
        std::ofstream(program) << "#!/bin/sh\npwd >> '" << (root_ / "restarts").string() << "'\n";
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    }
    static void remember(const char* name, std::optional<std::string>& slot) {
        if (const char* value = std::getenv(name)) {
            slot = value;
        }
    }
    static void restore(const char* name, const std::optional<std::string>& slot) {
        if (slot) {
            ::setenv(name, slot->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    std::filesystem::path previousDirectory_;
    TemporaryFolder folder_;  // removed after the environment is put back
    std::filesystem::path root_ = folder_.path();
    std::filesystem::path applicationDir_;
    std::optional<std::string> settingsDir_;
    std::optional<std::string> tmpDir_;
};

}  // namespace annalex::testing
