#pragma once
// The registry calls over the hive store of hive_store.hpp.
//
// An open handle remembers its root, its key path and the access it was opened with; each call
// reads the hive afresh, so handles in different processes see each other's writes at once.
// Root handles are always open with every access. A call on a key deleted after it was opened
// fails with 1018; a damaged hive file fails every call that reads it with 1015.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "settings/hive.hpp"
#include "settings/platform.hpp"

namespace annalex::settings {

class PosixRegistry final : public RegistryPlatform {
  public:
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
    struct OpenKey {
        KeyHandle root = 0;
        std::vector<std::string> path;
        std::uint32_t access = 0;
    };

    // The key behind a handle; false for a handle that is neither a root nor open.
    bool resolve(KeyHandle handle, OpenKey& key) const;
    // The key subKey below parent, or a status (6 bad handle, 87 bad path) in code.
    bool childOf(KeyHandle parent, std::string_view subKey, OpenKey& key, std::int32_t& code) const;
    KeyHandle remember(OpenKey key);
    // Loads the key behind an open handle that grants the required access into hive; key
    // points into hive. A status: 6 bad handle, 5 access denied, or the load's own.
    std::int32_t readKey(KeyHandle handle, std::uint32_t required, HiveKey& hive,
                         HiveKey*& key) const;

    mutable std::mutex mutex_;
    std::map<KeyHandle, OpenKey> open_;
    KeyHandle next_ = kFirstHandle;
    static constexpr KeyHandle kFirstHandle = 0x1000;
};

}  // namespace annalex::settings
