#pragma once
// Where the hives live on disk and how they are read and changed safely.
//
// Each root key has one file, "<ROOT NAME>.hive" (for example HKEY_CURRENT_USER.hive), in the
// settings directory: $ANNALEX_SETTINGS_DIR when set and not empty, else
// $XDG_CONFIG_HOME/annalex, else ~/.config/annalex. A missing file or directory is an empty
// hive; the directory is created by the first write, with mode 0700, and the files in it with
// mode 0600, whatever the umask allows.
//
// Readers need no lock: a hive file is only ever replaced whole by a rename. Writers serialise
// on an exclusive flock of "<ROOT NAME>.lock" in the same directory, read the current file under
// that lock, change it and replace it atomically, so concurrent writers in different processes
// or threads lose nothing. A hive file that is a symbolic link is written through, and locked
// where it really lies (the lock beside the file it leads to, named after it), so writers
// through the link and writers in that folder take the same lock. A damaged file is reported
// (1015) and never overwritten.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "settings/hive.hpp"
#include "settings/platform.hpp"

namespace annalex::settings {

// The settings directory, resolved from the environment at each call.
std::filesystem::path settingsDirectory();

// "HKEY_CURRENT_USER" for root::kCurrentUser and so on; empty for any other handle.
std::string_view rootKeyName(KeyHandle root);

// The hive file of a root key.
std::filesystem::path hiveFile(KeyHandle root);

// Loads the hive of root into hive: 0, 1015 when the file is damaged, 30 when it cannot be read.
std::int32_t loadHive(KeyHandle root, HiveKey& hive);

// The hive of a root as read from its file at one moment, with what tells that file apart from
// any later one: hive files are only ever replaced whole, so a file with the same identity,
// size and times holds the same text.
struct HiveSnapshot {
    struct Stamp {
        bool present = false;
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t modified = 0, changed = 0;  // nanoseconds
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    std::shared_ptr<const HiveKey> tree;
    Stamp stamp;
};

// Brings snapshot up to date with the hive file of root, reading and parsing the file only
// when it is not the one the snapshot was taken from: 0, 1015 when the file is damaged, 30
// when it cannot be read (the snapshot is then left as it was).
std::int32_t refreshHive(KeyHandle root, HiveSnapshot& snapshot);

// Runs change on the current hive of root under the root's write lock. change returns a status
// and sets changed when it modified the tree; the tree is then written back atomically, the
// file keeping its owner and mode (5 when the caller may not write the file or keep its owner,
// 29 when the write fails otherwise; the old file stays whole). The status of change is returned
// otherwise.
std::int32_t updateHive(KeyHandle root,
                        const std::function<std::int32_t(HiveKey& hive, bool& changed)>& change);

}  // namespace annalex::settings
