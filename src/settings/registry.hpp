#pragma once
// The settings functions: read, write, list and delete settings in the registry or in an INI
// file, chosen by the first argument.
//
// The first argument is a root-key abbreviation in any case ("HKCU", "HKLM", "HKU", "HKDD",
// "HKCC", "HKCR") or the path of an existing INI file. Every function starts with status 99 and
// returns it unchanged when the first argument names neither; otherwise it returns 0 for
// success or the platform's error code (2 missing key or value, 234 buffer too small, 1015
// damaged store, ...). A function traps its own failures (a failed conversion, an overflow, a
// negative length, a file error) and returns the status it holds at that moment; every key it
// opened is closed before it returns.
//
// Value types, one letter in any case: "S" text (REG_SZ), "B" boolean stored as the 16-bit
// value -1 (FF FF) or 0 in 2 bytes of REG_BINARY, "D" number stored as REG_DWORD from a 16-bit
// signed value. Any other letter reads and writes nothing.
//
// Lists come back in sValues as entries each ended by NUL, one further NUL after the last, so
// an empty list is two NULs; entries are appended to what sValues held.

#include <cstdint>
#include <string>

#include "settings/value.hpp"

namespace annalex::settings {

// Deletes the subkey sKeyName (which must have no subkeys of its own) of sTopKey\sSubKey.
// Registry only: a file path gives the platform's invalid-handle code, 6. Deleting what does
// not exist succeeds.
std::int32_t fDeleteKey(std::string sTopKey, std::string sSubKey, std::string sKeyName);

// Deletes a registry value (absent counts as success), or empties an INI entry: the entry stays
// as its name and "=" with nothing after it.
std::int32_t fDeleteValue(std::string sTopKeyOrFile, std::string sSubKeyOrSection,
                          std::string sValueName);

// Appends the names of the subkeys of sTopKey\sSubKey to sValues. Registry only, as fDeleteKey.
std::int32_t fEnumKey(std::string sTopKey, std::string sSubKey, std::string& sValues);

// Registry: appends an entry "name=data" per value of the key to sValues: REG_SZ as stored,
// REG_DWORD in signed decimal, REG_BINARY of at most 2 bytes as the decimal little-endian value
// of its bytes; other values are skipped. A failing value query returns its code at once.
// INI file: sValues becomes 8192 characters holding the section's lines as the profile call
// delivers them ("key=value" each ended by NUL, one further NUL), the rest spaces.
std::int32_t fEnumValue(std::string sTopKeyOrIniFile, std::string sSubKeyOrSection,
                        std::string& sValues);

// Reads one value into vValue, which is set to vDefault first so that every failure leaves the
// default. INI file: "S" reads up to 254 characters of text with the text form of vDefault as
// default; any other type reads a decimal integer, default 0; both return 0. Registry: a
// missing value returns 2; a stored value longer than 2 ("B") or 4 ("D") bytes returns 234.
std::int32_t fReadValue(std::string sTopKeyOrFile, std::string sSubKeyOrSection,
                        std::string sValueName, std::string sValueType, SettingValue vDefault,
                        SettingValue& vValue);

// Writes one value, creating the key when needed. INI file: only "S" is written (then 0 is
// returned whether or not the write succeeded); other types return 99. Registry: "D" takes
// values from -32768 to 32767. When vValue cannot be converted for "B" or "D" nothing is written,
// the key is closed and 13 (invalid data) is returned.
std::int32_t fWriteValue(std::string sTopKeyOrFile, std::string sSubKeyOrSection,
                         std::string sValueName, std::string sValueType, SettingValue vValue);

}  // namespace annalex::settings
