#pragma once
// The in-memory form of one root key's store (a "hive") and its readable text form.
//
// Text form, one item a line:
//
//   annalex-settings-hive 2
//   ; comment lines and blank lines are ignored
//   "RootValue"="text"              values before the first header belong to the root key
//   [Software\Velmora\Defaults]     a key, by its path from the root; parents are implied
//   "Installed"="1"                 REG_SZ holding text plus its terminating NUL
//   "Count"=dword:0000002a          REG_DWORD, 8 hex digits
//   "Flag"=hex:ff,ff                REG_BINARY, bytes in hex
//   "Other"=hex(7):61,00            any other type (decimal type number) or irregular data
//   ; end of hive: 187 bytes        the trailer: the length of all the text before it
//
// The trailer lets a file cut short (by a full disk, a crash of the file system, a copy
// stopped part way) be told from a hive that holds less: a file of version 2 without its
// trailer as its last line, or whose trailer gives another length, is damaged. Files of
// version 1, written before the trailer existed, have none and are read as they are. (A change
// by hand must correct the length, or turn the first line into version 1.)
//
// Names and texts are quoted; inside quotes \\, \" and \xHH (any byte) are escapes, and control
// characters must be escaped. Key and value names compare without regard to case (ASCII) and
// keep the spelling they were created with. A file that breaks any of these rules (unknown
// first line, a value line that does not parse, a bad key path, the same key or value twice)
// is damaged: parseHive refuses it as a whole.
//
// writeHive writes version 2.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace annalex::settings {

inline constexpr std::string_view kHiveFirstLine = "annalex-settings-hive 2";
inline constexpr std::string_view kHiveFirstLineVersion1 = "annalex-settings-hive 1";
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxKeyDepth = 512;

// ASCII upper-case form used to compare names.
std::string foldName(std::string_view name);

struct HiveValue {
    std::string name;
    std::uint32_t type = 0;
    std::string data;  // the stored bytes
    friend bool operator==(const HiveValue&, const HiveValue&) = default;
};

class HiveKey {
  public:
    explicit HiveKey(std::string name = {}) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }

    // Subkeys ordered by folded name.
    const std::map<std::string, std::unique_ptr<HiveKey>>& subkeys() const { return subkeys_; }
    HiveKey* subkey(std::string_view name) const;
    HiveKey& addSubkey(std::string_view name);  // returns the existing one when present
    bool removeSubkey(std::string_view name);

    // Values in the order they were first written; found by name in constant time.
    const std::vector<HiveValue>& values() const { return values_; }
    const HiveValue* value(std::string_view name) const;
    void setValue(std::string_view name, std::uint32_t type, std::string data);
    bool removeValue(std::string_view name);

    friend bool operator==(const HiveKey& a, const HiveKey& b);

  private:
    std::string name_;
    std::map<std::string, std::unique_ptr<HiveKey>> subkeys_;
    std::vector<HiveValue> values_;
    std::unordered_map<std::string, std::size_t> valueIndex_;  // folded name to position
};

// Splits a key path at "\" into its names. An empty path is the key itself (no names); an empty
// name inside the path, a name longer than 255 characters or holding a control character, or
// more than 512 levels make the path invalid (nullopt).
std::optional<std::vector<std::string>> splitKeyPath(std::string_view path);

// The key at path below root, or null.
HiveKey* findKey(HiveKey& root, const std::vector<std::string>& path);
const HiveKey* findKey(const HiveKey& root, const std::vector<std::string>& path);

// The tree of a hive text, or nullopt when the text is damaged.
std::optional<HiveKey> parseHive(std::string_view text);

// The text form of a tree; parseHive gives the same tree back.
std::string writeHive(const HiveKey& root);

}  // namespace annalex::settings
