#include "settings/win32_registry.hpp"

#include <string>

namespace annalex::settings {

namespace {

bool isRoot(KeyHandle key) {
    return key >= root::kClassesRoot && key <= root::kDynamicData;
}

// The Windows API wants NUL-terminated names.
std::string terminated(std::string_view text) {
    return std::string(text);
}

}  // namespace

Win32Registry::~Win32Registry() {
    for (const auto& [handle, key] : open_) {
        RegCloseKey(key);
    }
}

HKEY Win32Registry::windowsKey(KeyHandle key) const {
    if (isRoot(key)) {
        // Predefined keys are negative 32-bit values widened to a handle.
        return reinterpret_cast<HKEY>(
            static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<std::int32_t>(key))));
    }
    std::lock_guard lock(mutex_);
    const auto found = open_.find(key);
    if (found != open_.end()) {
        return found->second;
    }
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key));
}

KeyHandle Win32Registry::remember(HKEY key) {
    std::lock_guard lock(mutex_);
    while (open_.contains(next_)) {
        next_ = next_ == kLastHandle ? kFirstHandle : next_ + 1;
    }
    const KeyHandle handle = next_;
    open_.emplace(handle, key);
    next_ = next_ == kLastHandle ? kFirstHandle : next_ + 1;
    return handle;
}

std::int32_t Win32Registry::openKey(KeyHandle parent, std::string_view subKey, std::uint32_t access,
                                    KeyHandle& result) {
    HKEY key = nullptr;
    const LONG code =
        RegOpenKeyExA(windowsKey(parent), terminated(subKey).c_str(), 0, access, &key);
    if (code == ERROR_SUCCESS) {
        result = remember(key);
    }
    return code;
}

std::int32_t Win32Registry::createKey(KeyHandle parent, std::string_view subKey,
                                      std::uint32_t access, KeyHandle& result) {
    HKEY key = nullptr;
    const LONG code = RegCreateKeyExA(windowsKey(parent), terminated(subKey).c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
    if (code == ERROR_SUCCESS) {
        result = remember(key);
    }
    return code;
}

std::int32_t Win32Registry::queryValue(KeyHandle key, std::string_view name, std::uint32_t* type,
                                       std::byte* data, std::uint32_t& size) {
    DWORD storedType = 0;
    DWORD storedSize = size;
    const LONG code = RegQueryValueExA(windowsKey(key), terminated(name).c_str(), nullptr,
                                       &storedType, reinterpret_cast<BYTE*>(data), &storedSize);
    size = storedSize;
    if (type != nullptr) {
        *type = storedType;
    }
    return code;
}

std::int32_t Win32Registry::setValue(KeyHandle key, std::string_view name, std::uint32_t type,
                                     const std::byte* data, std::uint32_t size) {
    return RegSetValueExA(windowsKey(key), terminated(name).c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data), size);
}

std::int32_t Win32Registry::enumKey(KeyHandle key, std::uint32_t index, char* name,
                                    std::uint32_t capacity) {
    return RegEnumKeyA(windowsKey(key), index, name, capacity);
}

std::int32_t Win32Registry::enumValue(KeyHandle key, std::uint32_t index, char* name,
                                      std::uint32_t& nameLength, std::uint32_t* type,
                                      std::uint32_t* dataSize) {
    DWORD length = nameLength;
    DWORD storedType = 0;
    DWORD storedSize = 0;
    const LONG code = RegEnumValueA(windowsKey(key), index, name, &length, nullptr, &storedType,
                                    nullptr, &storedSize);
    nameLength = length;
    if (type != nullptr) {
        *type = storedType;
    }
    if (dataSize != nullptr) {
        *dataSize = storedSize;
    }
    return code;
}

std::int32_t Win32Registry::deleteKey(KeyHandle key, std::string_view subKey) {
    return RegDeleteKeyA(windowsKey(key), terminated(subKey).c_str());
}

std::int32_t Win32Registry::deleteValue(KeyHandle key, std::string_view name) {
    return RegDeleteValueA(windowsKey(key), terminated(name).c_str());
}

std::int32_t Win32Registry::closeKey(KeyHandle key) {
    HKEY windows = nullptr;
    {
        std::lock_guard lock(mutex_);
        const auto found = open_.find(key);
        if (found == open_.end()) {
            return isRoot(key) ? ERROR_SUCCESS
                               : RegCloseKey(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key)));
        }
        windows = found->second;
        open_.erase(found);
    }
    return RegCloseKey(windows);
}

}  // namespace annalex::settings
