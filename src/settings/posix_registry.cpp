#include "settings/posix_registry.hpp"

#include <algorithm>
#include <cstring>

#include "settings/hive_store.hpp"
#include "settings/value.hpp"

namespace annalex::settings {

namespace {

bool allows(std::uint32_t granted, std::uint32_t needed) {
    return (granted & needed) == needed;
}

}  // namespace

bool PosixRegistry::resolve(KeyHandle handle, OpenKey& key) const {
    if (!rootKeyName(handle).empty()) {
        key = OpenKey{handle, {}, ~std::uint32_t{0}};
        return true;
    }
    const std::scoped_lock lock(mutex_);
    const auto it = open_.find(handle);
    if (it == open_.end()) {
        return false;
    }
    key = it->second;
    return true;
}

bool PosixRegistry::childOf(KeyHandle parent, std::string_view subKey, OpenKey& key,
                            std::int32_t& code) const {
    if (!resolve(parent, key)) {
        code = status::kInvalidHandle;
        return false;
    }
    const auto names = splitKeyPath(subKey);
    if (!names || key.path.size() + names->size() > kMaxKeyDepth) {
        code = status::kInvalidParameter;
        return false;
    }
    key.path.insert(key.path.end(), names->begin(), names->end());
    return true;
}

KeyHandle PosixRegistry::remember(OpenKey key) {
    const std::scoped_lock lock(mutex_);
    while (open_.contains(next_)) {
        next_ = next_ >= 0x7fffffff ? kFirstHandle : next_ + 1;
    }
    const auto handle = next_;
    next_ = next_ >= 0x7fffffff ? kFirstHandle : next_ + 1;
    open_.emplace(handle, std::move(key));
    return handle;
}

std::int32_t PosixRegistry::openKey(KeyHandle parent, std::string_view subKey, std::uint32_t access,
                                    KeyHandle& result) {
    OpenKey key;
    std::int32_t code = status::kSuccess;
    if (!childOf(parent, subKey, key, code)) {
        // A name that cannot exist is simply not found.
        return code == status::kInvalidParameter ? status::kFileNotFound : code;
    }
    std::shared_ptr<const HiveKey> tree;
    if (code = currentTree(key.root, tree); code != status::kSuccess) {
        return code;
    }
    if (findKey(*tree, key.path) == nullptr) {
        return status::kFileNotFound;
    }
    key.access = access;
    result = remember(std::move(key));
    return status::kSuccess;
}

std::int32_t PosixRegistry::createKey(KeyHandle parent, std::string_view subKey,
                                      std::uint32_t access, KeyHandle& result) {
    OpenKey key;
    std::int32_t code = status::kSuccess;
    if (!childOf(parent, subKey, key, code)) {
        return code;
    }
    code = updateHive(key.root, [&](HiveKey& hive, bool& changed) {
        HiveKey* current = &hive;
        for (const auto& name : key.path) {
            HiveKey* next = current->subkey(name);
            if (next == nullptr) {
                next = &current->addSubkey(name);
                changed = true;
            }
            current = next;
        }
        return status::kSuccess;
    });
    if (code != status::kSuccess) {
        return code;
    }
    key.access = access;
    result = remember(std::move(key));
    return status::kSuccess;
}

std::int32_t PosixRegistry::currentTree(KeyHandle root,
                                        std::shared_ptr<const HiveKey>& tree) const {
    const std::scoped_lock lock(cacheMutex_);
    HiveSnapshot& snapshot = cache_[root].snapshot;
    if (const auto code = refreshHive(root, snapshot); code != status::kSuccess) {
        return code;
    }
    tree = snapshot.tree;
    return status::kSuccess;
}

std::int32_t PosixRegistry::readKey(KeyHandle handle, std::uint32_t required,
                                    std::shared_ptr<const HiveKey>& tree,
                                    const HiveKey*& key) const {
    OpenKey open;
    if (!resolve(handle, open)) {
        return status::kInvalidHandle;
    }
    if (!allows(open.access, required)) {
        return status::kAccessDenied;
    }
    if (const auto code = currentTree(open.root, tree); code != status::kSuccess) {
        return code;
    }
    key = findKey(*tree, open.path);
    return key == nullptr ? status::kKeyDeleted : status::kSuccess;
}

std::int32_t PosixRegistry::queryValue(KeyHandle handle, std::string_view name, std::uint32_t* type,
                                       std::byte* data, std::uint32_t& size) {
    std::shared_ptr<const HiveKey> tree;
    const HiveKey* key = nullptr;
    if (const auto code = readKey(handle, access::kQueryValue, tree, key);
        code != status::kSuccess) {
        return code;
    }
    const HiveValue* value = key->value(name);
    if (value == nullptr) {
        return status::kFileNotFound;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    const auto stored = static_cast<std::uint32_t>(value->data.size());
    if (data != nullptr && size < stored) {
        size = stored;
        return status::kMoreData;
    }
    if (data != nullptr) {
        std::memcpy(data, value->data.data(), stored);
    }
    size = stored;
    return status::kSuccess;
}

std::int32_t PosixRegistry::setValue(KeyHandle handle, std::string_view name, std::uint32_t type,
                                     const std::byte* data, std::uint32_t size) {
    OpenKey open;
    if (!resolve(handle, open)) {
        return status::kInvalidHandle;
    }
    if (!allows(open.access, access::kSetValue)) {
        return status::kAccessDenied;
    }
    std::string bytes(reinterpret_cast<const char*>(data), size);
    return updateHive(open.root, [&](HiveKey& hive, bool& changed) {
        HiveKey* key = findKey(hive, open.path);
        if (key == nullptr) {
            return status::kKeyDeleted;
        }
        key->setValue(name, type, std::move(bytes));
        changed = true;
        return status::kSuccess;
    });
}

std::int32_t PosixRegistry::enumKey(KeyHandle handle, std::uint32_t index, char* name,
                                    std::uint32_t capacity) {
    std::shared_ptr<const HiveKey> tree;
    const HiveKey* key = nullptr;
    if (const auto code = readKey(handle, access::kEnumerateSubKeys, tree, key);
        code != status::kSuccess) {
        return code;
    }
    if (index >= key->subkeys().size()) {
        return status::kNoMoreItems;
    }
    std::string subkeyName;
    {
        // Subkeys are held in a map; the index order is kept as a list for the key listed last.
        const std::scoped_lock lock(cacheMutex_);
        OpenKey open;
        resolve(handle, open);
        RootCache& cache = cache_[open.root];
        if (cache.listedTree != tree || cache.listedKey != key) {
            cache.listedSubkeys.clear();
            for (const auto& [folded, subkey] : key->subkeys()) {
                cache.listedSubkeys.push_back(subkey.get());
            }
            cache.listedTree = tree;
            cache.listedKey = key;
        }
        subkeyName = cache.listedSubkeys[index]->name();
    }
    if (subkeyName.size() + 1 > capacity) {
        return status::kMoreData;
    }
    std::memcpy(name, subkeyName.c_str(), subkeyName.size() + 1);
    return status::kSuccess;
}

std::int32_t PosixRegistry::enumValue(KeyHandle handle, std::uint32_t index, char* name,
                                      std::uint32_t& nameLength, std::uint32_t* type,
                                      std::uint32_t* dataSize) {
    std::shared_ptr<const HiveKey> tree;
    const HiveKey* key = nullptr;
    if (const auto code = readKey(handle, access::kQueryValue, tree, key);
        code != status::kSuccess) {
        return code;
    }
    if (index >= key->values().size()) {
        return status::kNoMoreItems;
    }
    const HiveValue& value = key->values()[index];
    if (value.name.size() + 1 > nameLength) {
        return status::kMoreData;
    }
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    nameLength = static_cast<std::uint32_t>(value.name.size());
    if (type != nullptr) {
        *type = value.type;
    }
    if (dataSize != nullptr) {
        *dataSize = static_cast<std::uint32_t>(value.data.size());
    }
    return status::kSuccess;
}

std::int32_t PosixRegistry::deleteKey(KeyHandle handle, std::string_view subKey) {
    OpenKey target;
    std::int32_t code = status::kSuccess;
    if (!childOf(handle, subKey, target, code)) {
        return code == status::kInvalidParameter ? status::kFileNotFound : code;
    }
    if (subKey.empty()) {
        return status::kInvalidParameter;  // deleting a key through its own handle: refused
    }
    const std::string last = target.path.back();
    target.path.pop_back();
    return updateHive(target.root, [&](HiveKey& hive, bool& changed) {
        HiveKey* parent = findKey(hive, target.path);
        HiveKey* victim = parent == nullptr ? nullptr : parent->subkey(last);
        if (victim == nullptr) {
            return status::kFileNotFound;
        }
        if (!victim->subkeys().empty()) {
            return status::kAccessDenied;
        }
        changed = parent->removeSubkey(last);
        return status::kSuccess;
    });
}

std::int32_t PosixRegistry::deleteValue(KeyHandle handle, std::string_view name) {
    OpenKey open;
    if (!resolve(handle, open)) {
        return status::kInvalidHandle;
    }
    if (!allows(open.access, access::kSetValue)) {
        return status::kAccessDenied;
    }
    return updateHive(open.root, [&](HiveKey& hive, bool& changed) {
        HiveKey* key = findKey(hive, open.path);
        if (key == nullptr) {
            return status::kKeyDeleted;
        }
        changed = key->removeValue(name);
        return changed ? status::kSuccess : status::kFileNotFound;
    });
}

std::int32_t PosixRegistry::closeKey(KeyHandle handle) {
    if (!rootKeyName(handle).empty()) {
        return status::kSuccess;
    }
    const std::scoped_lock lock(mutex_);
    return open_.erase(handle) > 0 ? status::kSuccess : status::kInvalidHandle;
}

}  // namespace annalex::settings
