#include "settings/settings_file.hpp"

#include "settings/hive_store.hpp"
#include "settings/root_key.hpp"

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
    return hiveFile(top).string();
}

}  // namespace annalex::settings
