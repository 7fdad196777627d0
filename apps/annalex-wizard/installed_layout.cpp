#include "installed_layout.hpp"

#include <cstdlib>
#include <string>
#include <system_error>
#include <variant>

#include "settings/registry.hpp"

namespace annalex::wizard {
namespace {

constexpr const char* kDefaultsKey = "Software\\Velmora\\Defaults";

std::string setting(const char* name) {
    settings::SettingValue value;
    settings::fReadValue("HKCU", kDefaultsKey, name, "S", std::string(), value);
    const auto* text = std::get_if<std::string>(&value);
    return text != nullptr ? *text : std::string();
}

std::optional<std::filesystem::path> userDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data == '/') {
        return std::filesystem::path(data) / "annalex";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') {
        return std::filesystem::path(home) / ".local" / "share" / "annalex";
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> adoptInstalledLayout(const std::filesystem::path& program) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path system = program.parent_path().parent_path() / "libexec" / "annalex" / "System";
    if (!fs::is_regular_file(system / "VmRestart.exe", error) || !setting("Installed").empty()) {
        return std::nullopt;
    }
    const auto folder = userDataFolder();
    if (!folder) {
        return std::nullopt;
    }
    fs::create_directories(*folder / "Error Logs", error);
    const fs::path link = *folder / "System";
    std::error_code missing;  // a link not there yet is no error
    if (!error && fs::is_symlink(fs::symlink_status(link, missing))) {
        fs::remove(link, error);  // left by an installation elsewhere
    }
    if (!error) {
        fs::create_directory_symlink(system, link, error);
    }
    if (error ||
        settings::fWriteValue("HKCU", kDefaultsKey, "Installed", "S", folder->string()) != 0) {
        return std::nullopt;
    }
    if (setting("ApplicationDir").empty()) {
        settings::fWriteValue("HKCU", kDefaultsKey, "ApplicationDir", "S", folder->string());
    }
    return folder;
}

}  // namespace annalex::wizard
