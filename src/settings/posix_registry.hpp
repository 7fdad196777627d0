#pragma once
// The registry calls over the hive store of hive_store.hpp.
//
// An open handle remembers its root, its key path and the access it was opened with; each call
// sees the hive file as it is at that moment, so handles in different processes see each
// other's writes at once. The parsed hive of each root is kept between calls and read again
// only when its file was replaced, and the subkeys of the key listed last are kept in index
// order, so listing n subkeys or values, or reading from a key of n values, costs time in
// proportion to n rather than n squared.
// Root handles are always open with every access. A call on a key deleted after it was opened
// fails with 1018; a damaged hive file fails every call that reads it with 1015.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "settings/hive.hpp"
#include "settings/hive_store.hpp"
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
    // The hive of root as its file holds it now.
    std::int32_t currentTree(KeyHandle root, std::shared_ptr<const HiveKey>& tree) const;
    // The hive behind an open handle that grants the required access; key points into tree.
    // A status: 6 bad handle, 5 access denied, 1018 key deleted, or the load's own.
    std::int32_t readKey(KeyHandle handle, std::uint32_t required,
                         std::shared_ptr<const HiveKey>& tree, const HiveKey*& key) const;

    struct RootCache {
        HiveSnapshot snapshot;
        // The subkeys of the key listed last (in listedTree), in index order.
        std::shared_ptr<const HiveKey> listedTree;
        const HiveKey* listedKey = nullptr;
        std::vector<const HiveKey*> listedSubkeys;
    };

    mutable std::mutex cacheMutex_;
    mutable std::map<KeyHandle, RootCache> cache_;
    mutable std::mutex mutex_;
    std::map<KeyHandle, OpenKey> open_;
    KeyHandle next_ = kFirstHandle;
    static constexpr KeyHandle kFirstHandle = 0x1000;
};

}  // namespace annalex::settings
