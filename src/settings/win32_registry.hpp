#pragma once
// The registry calls forwarded to the Windows registry API (ANSI forms), so every status is the
// platform's own.
//
// The platform layer's handles are 32-bit. Root handles are the platform's predefined keys
// (sign-extended to the width of a Windows handle); a key opened or created here gets a handle
// of its own, mapped to its Windows handle until closeKey. Any other value is passed on as a
// raw Windows handle, so the platform itself answers for it (6 for a bad handle).

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>

#include "settings/platform.hpp"

namespace annalex::settings {

class Win32Registry final : public RegistryPlatform {
  public:
    ~Win32Registry() override;

    std::int32_t openKey(KeyHandle parent, std::string_view subKey, std::uint32_t access,
                         KeyHandle& result) override;
    std::int32_t createKey(KeyHandle parent, std::string_view subKey, std::uint32_t access,
                           KeyHandle& result) override;
    std::int32_t queryValue(KeyHandle key, std::string_view name, std::uint32_t* type,
                            std::byte* data, std::uint32_t& size) override;
    std::int32_t setValue(KeyHandle key, std::string_view name, std::uint32_t type,
                          const std::byte* data, std::uint32_t size) override;
    std::int32_t enumKey(KeyHandle key, std::uint32_t index, char* name,
                         std::uint32_t capacity) override;
    std::int32_t enumValue(KeyHandle key, std::uint32_t index, char* name,
                           std::uint32_t& nameLength, std::uint32_t* type,
                           std::uint32_t* dataSize) override;
    std::int32_t deleteKey(KeyHandle key, std::string_view subKey) override;
    std::int32_t deleteValue(KeyHandle key, std::string_view name) override;
    std::int32_t closeKey(KeyHandle key) override;

  private:
    HKEY windowsKey(KeyHandle key) const;
    KeyHandle remember(HKEY key);

    mutable std::mutex mutex_;
    std::map<KeyHandle, HKEY> open_;
    KeyHandle next_ = kFirstHandle;
    // Below the root handles and far above the small values callers pass by mistake (the INI
    // selector 1, for one), which must reach the platform unchanged.
    static constexpr KeyHandle kFirstHandle = 0x10000;
    static constexpr KeyHandle kLastHandle = 0x7fffffff;
};

}  // namespace annalex::settings
