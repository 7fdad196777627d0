#include "settings/root_key.hpp"

#include <array>
#include <utility>

#include "settings/hive.hpp"
#include "settings/platform.hpp"

namespace annalex::settings::detail {

std::uint32_t fTopKey(std::string_view sTopKey) {
    static constexpr std::array<std::pair<std::string_view, std::uint32_t>, 6> kRoots{{
        {"HKCU", root::kCurrentUser},
        {"HKLM", root::kLocalMachine},
        {"HKU", root::kUsers},
        {"HKDD", root::kDynamicData},
        {"HKCC", root::kCurrentConfig},
        {"HKCR", root::kClassesRoot},
    }};
    const auto folded = foldName(sTopKey);
    for (const auto& [text, handle] : kRoots) {
        if (folded == text) {
            return handle;
        }
    }
    try {
        return profilePlatform().findFile(sTopKey) ? kIniFile : kUnusable;
    } catch (...) {
        return kUnusable;  // a failing search means the path is unusable
    }
}

}  // namespace annalex::settings::detail
