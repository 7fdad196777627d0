#pragma once
// The cube store: an in-memory cube saved to and loaded from one SQLite file.
//
// A store holds every dimension of a cube with its hierarchies, their levels (name, type code,
// position), each level's attribute definitions (key, caption, in order), and every member
// (level, parent, name, order) in placement order with its attribute values in the order they
// were first set. Loading rebuilds the cube through the cube interface in that order, so member
// ids, parents and walks are the same as in the cube that was saved: load, save and load again
// gives the same cube.
//
// A store of an older format is read as it is, and rewritten in the current format by the next
// save.
//
// A save into a store whose content shrank gives the freed space back to the disk once more
// than a quarter of the file is unused.
//
// Safety:
//  - A save is one SQLite transaction with a rollback journal synced to disk: a failure, a full
//    disk or a crash leaves the previous content whole (an interrupted save is rolled back the
//    next time the store is opened). A first save builds the store in a file of its own, which
//    is flushed to disk before it is linked under the store's name, so the store is either
//    missing or whole.
//  - A file that is not a store, a damaged store or a store of a newer format is refused with a
//    message naming the file, and is never modified: it is examined read-only first. A store
//    is damaged when its member blocks or its catalog do not match the checksums it keeps of
//    them (checked by every load, and by every save before it replaces them), or when it holds
//    a table, index, view or trigger that no format has (which a save would run).
//  - A missing file, or an empty (zero-byte) one, is a store that holds nothing yet; the first
//    save creates it.
//
// Every error is an annalex::Failure with source "Annalex.Store" whose description names the
// file and says what is wrong:
//  - PathFileAccessError: not a store, a damaged store, a store of a newer format, not a file;
//  - PermissionDenied: the file or its folder cannot be read or written;
//  - PathNotFound: the folder of the file does not exist;
//  - FileNotFound: the store was removed between open and load;
//  - DiskFull, DeviceIoError: the disk is full, or reading or writing failed;
//  - OutOfMemory: memory ran out (a save then leaves the previous content whole).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cube/memory_model.hpp"
#include "cube/store_failures.hpp"
#include "cube/store_header.hpp"

namespace annalex::cube {

class CubeStore {
  public:
    // Examines file: an existing store is checked (read-only), a missing or empty file is
    // remembered as a new store. Throws when the file cannot be used as a store.
    static CubeStore open(const std::filesystem::path& file);

    const std::filesystem::path& path() const { return file_; }
    // False while the store holds nothing yet (the file is missing or empty).
    bool exists() const { return exists_; }

    // The cube held by the store; an empty cube when it holds nothing yet.
    std::shared_ptr<MemoryCube> load() const;

    // Replaces the whole content of the store with cube, in one transaction; creates the file
    // when it is missing.
    void save(const MemoryCube& cube);

    // Saves the dimensions named in ownDimensions from cube, for a program that changed only
    // those. Other programs may save into the same file meanwhile: when the file changed since
    // this store loaded it, every other dimension is kept as the file holds it at the moment
    // of the save (read under the write lock), so concurrent writers of different dimensions
    // keep each other's work. Unchanged, the store receives cube as a whole.
    void save(const MemoryCube& cube, const std::vector<std::string>& ownDimensions);

  private:
    CubeStore(std::filesystem::path file, bool exists) : file_(std::move(file)), exists_(exists) {}
    void saveCube(const MemoryCube& cube, const std::vector<std::string>* ownDimensions);
    void saveUnguarded(const MemoryCube& cube, const std::vector<std::string>* ownDimensions);
    std::shared_ptr<MemoryCube> loadUnguarded() const;

    std::filesystem::path file_;
    bool exists_;
    // The file's change counter when load() read it; none before a load, or after a save.
    mutable std::optional<std::uint32_t> loadedVersion_;
};

}  // namespace annalex::cube
