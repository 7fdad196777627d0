#pragma once
// Status codes and the value holder shared by the settings functions.
//
// A settings function returns a 32-bit signed status: 0 for success, 99 (the starting status)
// when it could not get as far as a platform call, otherwise the registry platform's own error
// code. The codes below are the platform codes this module and its POSIX store produce.

#include <cstdint>
#include <string>
#include <variant>

namespace annalex::settings {

namespace status {
inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kFileNotFound = 2;  // key or value does not exist
inline constexpr std::int32_t kAccessDenied = 5;  // handle lacks the access, or key has subkeys
inline constexpr std::int32_t kInvalidHandle = 6;
inline constexpr std::int32_t kInvalidData = 13;  // a value could not be converted to its type
inline constexpr std::int32_t kWriteFault = 29;   // the store could not be written
inline constexpr std::int32_t kReadFault = 30;    // the store could not be read
inline constexpr std::int32_t kInvalidParameter = 87;
inline constexpr std::int32_t kStart = 99;      // nothing usable was named, or nothing happened
inline constexpr std::int32_t kMoreData = 234;  // the caller's buffer is too small
inline constexpr std::int32_t kNoMoreItems = 259;
inline constexpr std::int32_t kBadDatabase = 1015;  // the store's file is damaged
inline constexpr std::int32_t kKeyDeleted = 1018;   // the open key was deleted meanwhile
}  // namespace status

// A readable meaning of a status code, for people ("The system cannot find the file
// specified."); codes outside the list above get "Unknown status".
std::string statusMeaning(std::int32_t code);

// A setting's value: a string, a boolean or a 32-bit signed integer.
using SettingValue = std::variant<std::string, bool, std::int32_t>;

// The text form written to INI files and used as INI default: strings as they are, booleans
// "True"/"False", numbers in decimal ("-5").
std::string textForm(const SettingValue& value);

// Conversion to a boolean: booleans as they are, numbers true when non-zero, the texts "True"
// and "False" in any case, and numeric texts (non-zero is true). Anything else raises
// TypeMismatch.
bool toBoolean(const SettingValue& value);

// Conversion to a 16-bit signed integer: booleans give -1 (true) and 0, numbers and numeric
// texts are rounded (halves to even) and range-checked (Overflow outside -32768..32767); other
// texts raise TypeMismatch.
std::int16_t toInt16(const SettingValue& value);

}  // namespace annalex::settings
