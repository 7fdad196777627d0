#include "settings/win32_profile.hpp"

#include <windows.h>

#include <string>

#include "settings/profile_write_error.hpp"

namespace annalex::settings {

namespace {

std::string terminated(std::string_view text) {
    return std::string(text);
}

}  // namespace

std::uint32_t Win32Profile::getProfileString(std::string_view section, std::string_view key,
                                             std::string_view defaultText, char* buffer,
                                             std::uint32_t capacity, std::string_view file) {
    return GetPrivateProfileStringA(terminated(section).c_str(), terminated(key).c_str(),
                                    terminated(defaultText).c_str(), buffer, capacity,
                                    terminated(file).c_str());
}

std::uint32_t Win32Profile::getProfileInt(std::string_view section, std::string_view key,
                                          std::int32_t defaultValue, std::string_view file) {
    return GetPrivateProfileIntA(terminated(section).c_str(), terminated(key).c_str(), defaultValue,
                                 terminated(file).c_str());
}

std::uint32_t Win32Profile::getProfileSection(std::string_view section, char* buffer,
                                              std::uint32_t capacity, std::string_view file) {
    return GetPrivateProfileSectionA(terminated(section).c_str(), buffer, capacity,
                                     terminated(file).c_str());
}

bool Win32Profile::writeProfileString(std::string_view section, std::string_view key,
                                      std::string_view value, std::string_view file) {
    if (WritePrivateProfileStringA(terminated(section).c_str(), terminated(key).c_str(),
                                   terminated(value).c_str(), terminated(file).c_str()) != 0) {
        setLastProfileWriteError(0);
        return true;
    }
    // The settings functions report success on INI files whatever the write did; the command
    // line asks for the cause here.
    const DWORD error = GetLastError();
    setLastProfileWriteError(
        static_cast<int>(error),
        "the profile write failed with Windows error " + std::to_string(error));
    return false;
}

bool Win32Profile::findFile(std::string_view path) {
    constexpr DWORD kNotNormal =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA(terminated(path).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool found = false;
    do {
        found = (entry.dwFileAttributes & kNotNormal) == 0;
    } while (!found && FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

}  // namespace annalex::settings
