#pragma once
// The platform layer under the settings functions: the registry and profile calls they use,
// with the return conventions of the system calls they stand for, so that a Windows build can
// forward each one to the real call and the functions above stay the same.
//
// Registry calls return 0 on success or a platform error code (see value.hpp). Profile calls
// return the number of characters copied (string, section), the integer read, or true on
// success (write).

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace annalex::settings {

// A registry key handle: one of the root handles below, or a handle returned by openKey or
// createKey that must be given back to closeKey.
using KeyHandle = std::uint32_t;

namespace root {
inline constexpr KeyHandle kClassesRoot = 0x80000000;
inline constexpr KeyHandle kCurrentUser = 0x80000001;
inline constexpr KeyHandle kLocalMachine = 0x80000002;
inline constexpr KeyHandle kUsers = 0x80000003;
inline constexpr KeyHandle kCurrentConfig = 0x80000005;
inline constexpr KeyHandle kDynamicData = 0x80000006;
}  // namespace root

// Stored value types.
namespace regtype {
inline constexpr std::uint32_t kString = 1;  // REG_SZ: text with its terminating NUL
inline constexpr std::uint32_t kBinary = 3;  // REG_BINARY
inline constexpr std::uint32_t kDword = 4;   // REG_DWORD: 4 bytes, little-endian
}  // namespace regtype

// Access masks; a call on a handle opened without the access it needs fails with 5.
namespace access {
inline constexpr std::uint32_t kQueryValue = 1;
inline constexpr std::uint32_t kSetValue = 2;
inline constexpr std::uint32_t kCreateSubKey = 4;
inline constexpr std::uint32_t kEnumerateSubKeys = 8;
}  // namespace access

class RegistryPlatform {
  public:
    virtual ~RegistryPlatform() = default;

    // Opens the existing key subKey below parent ("" opens parent itself again); 2 when it does
    // not exist, 6 when parent is not a root or open handle.
    virtual std::int32_t openKey(KeyHandle parent, std::string_view subKey, std::uint32_t access,
                                 KeyHandle& result) = 0;
    // Opens subKey below parent, creating it and any missing key on the way.
    virtual std::int32_t createKey(KeyHandle parent, std::string_view subKey, std::uint32_t access,
                                   KeyHandle& result) = 0;
    // Reads a value. size holds the buffer's capacity in bytes and receives the stored size.
    // With data null only the type and size are reported; with a buffer too small for the data
    // the call copies nothing and returns 234. type may be null.
    virtual std::int32_t queryValue(KeyHandle key, std::string_view name, std::uint32_t* type,
                                    std::byte* data, std::uint32_t& size) = 0;
    // Stores size bytes of data under name with the given type, replacing any previous value.
    virtual std::int32_t setValue(KeyHandle key, std::string_view name, std::uint32_t type,
                                  const std::byte* data, std::uint32_t size) = 0;
    // Copies the name of the subkey at index (ordered by name without regard to case) with a
    // terminating NUL into name, which holds capacity characters; 259 after the last subkey,
    // 234 when the name and its NUL do not fit.
    virtual std::int32_t enumKey(KeyHandle key, std::uint32_t index, char* name,
                                 std::uint32_t capacity) = 0;
    // Like enumKey for values (in the order they were first written); nameLength holds the
    // capacity and receives the name's length without its NUL; type and dataSize, when not
    // null, receive the value's type and stored size.
    virtual std::int32_t enumValue(KeyHandle key, std::uint32_t index, char* name,
                                   std::uint32_t& nameLength, std::uint32_t* type,
                                   std::uint32_t* dataSize) = 0;
    // Deletes the subkey subKey of key; 2 when absent, 5 when it has subkeys of its own.
    virtual std::int32_t deleteKey(KeyHandle key, std::string_view subKey) = 0;
    // Deletes a value; 2 when absent.
    virtual std::int32_t deleteValue(KeyHandle key, std::string_view name) = 0;
    // Releases an open handle; closing a root handle is a no-op that succeeds.
    virtual std::int32_t closeKey(KeyHandle key) = 0;
};

class ProfilePlatform {
  public:
    virtual ~ProfilePlatform() = default;

    // Copies the value of key in section into buffer (capacity characters, NUL-terminated,
    // truncated to fit) or, when the entry is absent, defaultText less its trailing blanks.
    // Returns the number of characters copied, without the NUL.
    virtual std::uint32_t getProfileString(std::string_view section, std::string_view key,
                                           std::string_view defaultText, char* buffer,
                                           std::uint32_t capacity, std::string_view file) = 0;
    // The value of key read as a decimal integer (leading digits with an optional sign, 0 when
    // there are none), or defaultValue when the entry is absent.
    virtual std::uint32_t getProfileInt(std::string_view section, std::string_view key,
                                        std::int32_t defaultValue, std::string_view file) = 0;
    // Copies the lines of section as "key=value" strings, each ended by NUL, with one further
    // NUL after the last; returns the characters copied without that final NUL (capacity - 2
    // when the buffer was too small and the list was cut).
    virtual std::uint32_t getProfileSection(std::string_view section, char* buffer,
                                            std::uint32_t capacity, std::string_view file) = 0;
    // Sets key in section to value, creating the file or the section when missing; true on
    // success.
    virtual bool writeProfileString(std::string_view section, std::string_view key,
                                    std::string_view value, std::string_view file) = 0;
    // The platform's directory search for one normal file: true when path names one.
    virtual bool findFile(std::string_view path) = 0;
};

// The process's platform: on POSIX the hive store and the INI files of posix_registry.hpp and
// posix_profile.hpp. One instance each, created on first use and safe to call from any thread.
RegistryPlatform& registryPlatform();
ProfilePlatform& profilePlatform();

}  // namespace annalex::settings
