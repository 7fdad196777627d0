#include "settings/registry.hpp"

#include <array>
#include <cstddef>
#include <vector>

#include "common/checked_int.hpp"
#include "common/failure.hpp"
#include "common/numeric.hpp"
#include "settings/hive.hpp"
#include "settings/platform.hpp"
#include "settings/root_key.hpp"

namespace annalex::settings {

namespace {

using detail::fTopKey;
using detail::kIniFile;
using detail::kUnusable;

constexpr std::uint32_t kNameBufferSize = 2048;
constexpr std::uint32_t kIniStringBufferSize = 255;
constexpr std::uint32_t kIniSectionBufferSize = 8192;

// A key opened or created by a settings function; closed on every path out of it.
class OpenedKey {
  public:
    explicit OpenedKey(RegistryPlatform& registry) : registry_(registry) {}
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    ~OpenedKey() {
        if (open_) {
            registry_.closeKey(handle_);
        }
    }

    std::int32_t open(KeyHandle root, const std::string& subKey, std::uint32_t access) {
        const auto code = registry_.openKey(root, subKey, access, handle_);
        open_ = code == status::kSuccess;
        return code;
    }
    std::int32_t create(KeyHandle root, const std::string& subKey, std::uint32_t access) {
        const auto code = registry_.createKey(root, subKey, access, handle_);
        open_ = code == status::kSuccess;
        return code;
    }
    std::int32_t close() {
        open_ = false;
        return registry_.closeKey(handle_);
    }
    KeyHandle handle() const { return handle_; }

  private:
    RegistryPlatform& registry_;
    KeyHandle handle_ = 0;
    bool open_ = false;
};

bool isType(const std::string& type, char letter) {
    return type.size() == 1 && foldName(type)[0] == letter;
}

// The first length characters of text; a negative length is an invalid call.
std::string leftOf(const std::string& text, Int32 length) {
    if (length < Int32(0)) {
        raise(ErrorNumber::InvalidProcedureCall, "Negative length", "registry");
    }
    return text.substr(0, static_cast<std::size_t>(length.value()));
}

std::string trimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Ends a list: one NUL, and a second one when the list would otherwise be a single NUL.
void closeList(std::string& sValues) {
    sValues += '\0';
    if (sValues.size() == 1) {
        sValues += '\0';
    }
}

std::uint32_t littleEndian(const std::byte* bytes, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i > 0; --i) {
        value = (value << 8) | std::to_integer<std::uint32_t>(bytes[i - 1]);
    }
    return value;
}

template <std::size_t N>
std::array<std::byte, N> littleEndianBytes(std::uint32_t value) {
    std::array<std::byte, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        bytes[i] = static_cast<std::byte>((value >> (8 * i)) & 0xff);
    }
    return bytes;
}

// Registry part of fReadValue, with the key open.
std::int32_t readRegistryValue(RegistryPlatform& registry, OpenedKey& key, const std::string& name,
                               const std::string& type, SettingValue& vValue,
                               std::int32_t& status) {
    if (isType(type, 'S')) {
        std::byte probe{};
        std::uint32_t size = 0;
        status = registry.queryValue(key.handle(), name, nullptr, &probe, size);
        std::string data;
        if (status == status::kMoreData) {
            data.assign(size, '\0');
            status = registry.queryValue(key.handle(), name, nullptr,
                                         reinterpret_cast<std::byte*>(data.data()), size);
        }
        if (status != status::kSuccess) {
            return status;
        }
        // The data less its terminating NUL; an empty value fails here.
        vValue = leftOf(data, Int32(size) - Int32(1));
    } else if (isType(type, 'B') || isType(type, 'D')) {
        const std::uint32_t width = isType(type, 'B') ? 2 : 4;
        std::array<std::byte, 4> buffer{};
        std::uint32_t size = width;
        status = registry.queryValue(key.handle(), name, nullptr, buffer.data(), size);
        if (status != status::kSuccess) {
            return status;
        }
        const auto bits = littleEndian(buffer.data(), width);
        if (width == 2) {
            vValue = static_cast<std::int16_t>(bits) != 0;
        } else {
            vValue = static_cast<std::int32_t>(bits);
        }
    }
    status = key.close();
    return status;
}

// Registry part of fWriteValue, with the key open.
std::int32_t writeRegistryValue(RegistryPlatform& registry, OpenedKey& key, const std::string& name,
                                const std::string& type, const SettingValue& vValue,
                                std::int32_t& status) {
    if (isType(type, 'S')) {
        const std::string text = textForm(vValue);
        const Int32 length = Int32(text.size()) + Int32(1);  // the terminating NUL is stored
        status = registry.setValue(key.handle(), name, regtype::kString,
                                   reinterpret_cast<const std::byte*>(text.c_str()),
                                   static_cast<std::uint32_t>(length.value()));
    } else if (isType(type, 'B') || isType(type, 'D')) {
        std::int16_t number = 0;
        try {
            number = isType(type, 'B') ? (toBoolean(vValue) ? std::int16_t{-1} : std::int16_t{0})
                                       : toInt16(vValue);
        } catch (const Failure&) {
            return status::kInvalidData;  // nothing written; the key closes on return
        }
        const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(number));
        if (isType(type, 'B')) {
            const auto bytes = littleEndianBytes<2>(bits);
            status = registry.setValue(key.handle(), name, regtype::kBinary, bytes.data(), 2);
        } else {
            const auto bytes = littleEndianBytes<4>(bits);
            status = registry.setValue(key.handle(), name, regtype::kDword, bytes.data(), 4);
        }
    }
    if (status != status::kSuccess) {
        return status;
    }
    status = key.close();
    return status;
}

// One "name=data" entry of fEnumValue for a value of the given type; false when the value is
// skipped. A failed query leaves its code in status.
bool valueEntry(RegistryPlatform& registry, KeyHandle key, const std::string& name,
                std::uint32_t type, std::uint32_t dataSize, std::string& entry,
                std::int32_t& status) {
    if (type == regtype::kString) {
        std::string data(dataSize, '\0');
        std::uint32_t size = dataSize;
        status = registry.queryValue(key, name, nullptr, reinterpret_cast<std::byte*>(data.data()),
                                     size);
        data.resize(std::min(size, dataSize));
        entry = name + "=" + data;  // the stored NUL ends the entry
        return true;
    }
    if (type == regtype::kDword || (type == regtype::kBinary && dataSize <= 2)) {
        std::array<std::byte, 4> buffer{};
        std::uint32_t size = type == regtype::kDword ? 4 : 2;
        status = registry.queryValue(key, name, nullptr, buffer.data(), size);
        const auto bits = littleEndian(buffer.data(), type == regtype::kDword ? 4 : size);
        const auto number = type == regtype::kDword
                                ? static_cast<std::int64_t>(static_cast<std::int32_t>(bits))
                                : static_cast<std::int64_t>(bits);
        entry = name + "=" + decimalText(number) + '\0';
        return true;
    }
    return false;
}

}  // namespace

std::int32_t fReadValue(std::string sTopKeyOrFile, std::string sSubKeyOrSection,
                        std::string sValueName, std::string sValueType, SettingValue vDefault,
                        SettingValue& vValue) {
    std::int32_t status = status::kStart;
    try {
        vValue = vDefault;
        const auto top = fTopKey(sTopKeyOrFile);
        if (top == kUnusable) {
            return status;
        }
        if (top == kIniFile) {
            auto& profile = profilePlatform();
            if (isType(sValueType, 'S')) {
                std::array<char, kIniStringBufferSize> buffer{};
                const auto count =
                    profile.getProfileString(sSubKeyOrSection, sValueName, textForm(vDefault),
                                             buffer.data(), kIniStringBufferSize, sTopKeyOrFile);
                vValue = std::string(buffer.data(), count);
            } else {
                vValue = static_cast<std::int32_t>(
                    profile.getProfileInt(sSubKeyOrSection, sValueName, 0, sTopKeyOrFile));
            }
            return status::kSuccess;
        }
        auto& registry = registryPlatform();
        OpenedKey key(registry);
        status = key.open(top, sSubKeyOrSection, access::kQueryValue);
        if (status != status::kSuccess) {
            return status;
        }
        return readRegistryValue(registry, key, sValueName, sValueType, vValue, status);
    } catch (...) {
        return status;
    }
}

std::int32_t fWriteValue(std::string sTopKeyOrFile, std::string sSubKeyOrSection,
                         std::string sValueName, std::string sValueType, SettingValue vValue) {
    std::int32_t status = status::kStart;
    try {
        const auto top = fTopKey(sTopKeyOrFile);
        if (top == kUnusable) {
            return status;
        }
        if (top == kIniFile) {
            if (!isType(sValueType, 'S')) {
                return status;
            }
            profilePlatform().writeProfileString(sSubKeyOrSection, sValueName, textForm(vValue),
                                                 sTopKeyOrFile);
            return status::kSuccess;
        }
        auto& registry = registryPlatform();
        OpenedKey key(registry);
        status = key.create(top, sSubKeyOrSection, access::kSetValue | access::kCreateSubKey);
        if (status != status::kSuccess) {
            return status;
        }
        return writeRegistryValue(registry, key, sValueName, sValueType, vValue, status);
    } catch (...) {
        return status;
    }
}

namespace {

// Opens subKey below top with the access a removal needs and removes with it, keeping the
// status of each platform call in status (so a failure part-way leaves the last one there);
// whatever was already absent (2, at the open or at the removal) counts as removed.
template <typename Remove>
void removeBelow(KeyHandle top, const std::string& subKey, std::uint32_t access, Remove remove,
                 std::int32_t& status) {
    auto& registry = registryPlatform();
    OpenedKey key(registry);
    status = key.open(top, subKey, access);
    if (status == status::kSuccess) {
        status = remove(registry, key.handle());
    }
    if (status == status::kFileNotFound) {
        status = status::kSuccess;
    }
}

}  // namespace

std::int32_t fDeleteKey(std::string sTopKey, std::string sSubKey, std::string sKeyName) {
    std::int32_t status = status::kStart;
    try {
        const auto top = fTopKey(sTopKey);
        if (top == kUnusable) {
            return status;
        }
        removeBelow(
            top, sSubKey, access::kCreateSubKey,
            [&](RegistryPlatform& registry, KeyHandle key) {
                return registry.deleteKey(key, sKeyName);
            },
            status);
        return status;
    } catch (...) {
        return status;
    }
}

std::int32_t fDeleteValue(std::string sTopKeyOrFile, std::string sSubKeyOrSection,
                          std::string sValueName) {
    std::int32_t status = status::kStart;
    try {
        const auto top = fTopKey(sTopKeyOrFile);
        if (top == kUnusable) {
            return status;
        }
        if (top == kIniFile) {
            profilePlatform().writeProfileString(sSubKeyOrSection, sValueName, "", sTopKeyOrFile);
            return status::kSuccess;
        }
        removeBelow(
            top, sSubKeyOrSection, access::kSetValue,
            [&](RegistryPlatform& registry, KeyHandle key) {
                return registry.deleteValue(key, sValueName);
            },
            status);
        return status;
    } catch (...) {
        return status;
    }
}

std::int32_t fEnumKey(std::string sTopKey, std::string sSubKey, std::string& sValues) {
    std::int32_t status = status::kStart;
    try {
        const auto top = fTopKey(sTopKey);
        if (top == kUnusable) {
            return status;
        }
        auto& registry = registryPlatform();
        OpenedKey key(registry);
        status = key.open(top, sSubKey, access::kEnumerateSubKeys);
        if (status != status::kSuccess) {
            return status;
        }
        std::string buffer;
        for (Int32 index = 0;; ++index) {
            buffer.assign(kNameBufferSize, ' ');
            if (registry.enumKey(key.handle(), static_cast<std::uint32_t>(index.value()),
                                 buffer.data(), kNameBufferSize) != status::kSuccess) {
                break;
            }
            sValues += trimSpaces(buffer);  // the name and its NUL
        }
        closeList(sValues);
        status = key.close();
        return status;
    } catch (...) {
        return status;
    }
}

std::int32_t fEnumValue(std::string sTopKeyOrIniFile, std::string sSubKeyOrSection,
                        std::string& sValues) {
    std::int32_t status = status::kStart;
    try {
        const auto top = fTopKey(sTopKeyOrIniFile);
        if (top == kUnusable) {
            return status;
        }
        if (top == kIniFile) {
            sValues.assign(kIniSectionBufferSize, ' ');
            profilePlatform().getProfileSection(sSubKeyOrSection, sValues.data(),
                                                kIniSectionBufferSize, sTopKeyOrIniFile);
            return status::kSuccess;
        }
        auto& registry = registryPlatform();
        OpenedKey key(registry);
        status = key.open(top, sSubKeyOrSection, access::kQueryValue);
        if (status != status::kSuccess) {
            return status;
        }
        std::string name(kNameBufferSize, '\0');
        for (Int32 index = 0;; ++index) {
            std::uint32_t nameLength = kNameBufferSize;
            std::uint32_t type = 0;
            std::uint32_t dataSize = 0;
            if (registry.enumValue(key.handle(), static_cast<std::uint32_t>(index.value()),
                                   name.data(), nameLength, &type, &dataSize) != status::kSuccess) {
                break;
            }
            std::string entry;
            if (!valueEntry(registry, key.handle(), name.substr(0, nameLength), type, dataSize,
                            entry, status)) {
                continue;
            }
            if (status != status::kSuccess) {
                return status;
            }
            sValues += entry;
        }
        closeList(sValues);
        status = key.close();
        return status;
    } catch (...) {
        return status;
    }
}

}  // namespace annalex::settings
