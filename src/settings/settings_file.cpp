#include "settings/settings_file.hpp"

#include "settings/root_key.hpp"
#ifndef _WIN32
#include "settings/hive_store.hpp"
#endif

namespace annalex::settings {

bool namesIniFile(std::string_view topKeyOrFile) {
    return detail::fTopKey(topKeyOrFile) == detail::kIniFile;
}

std::string settingsFileOf(std::string_view topKeyOrFile) {
    const auto top = detail::fTopKey(topKeyOrFile);
    if (top == detail::kUnusable) {
        return {};
    }
    if (top == detail::kIniFile) {
        return std::string(topKeyOrFile);
    }
#ifdef _WIN32
    // The registry has no file of its own to name: the root key names the store.
    return std::string(topKeyOrFile);
#else
    return hiveFile(top).string();
#endif
}

}  // namespace annalex::settings
