#pragma once
// Reading a whole cube out of a store, in either format a store can have (store_schema.hpp).
// Everything read is checked against what a save could have written: rows out of place,
// members without a valid parent, missing members and attribute values that fit no
// definition all make the store damaged, named with the file.

#include <cstdint>
#include <filesystem>
#include <memory>

#include "cube/memory_model.hpp"
#include "cube/sqlite_handle.hpp"

namespace annalex::cube {

// Prepares the queries a load of format runs; a missing table or column makes the store
// damaged. Other SQLite errors are thrown as they come.
void checkStoreTables(sqlite::Connection& db, const std::filesystem::path& file,
                      std::int64_t format);

// Checks, without placing anything, that the catalog and every member block match the checksums
// the store keeps of them (formats that keep checksums), and that each hierarchy's blocks follow
// one another and hold the members its catalog row counts (formats with blocks). A mismatch, a
// block missing or one too many makes the store damaged.
void requireIntactBlocks(sqlite::Connection& db, const std::filesystem::path& file,
                         std::int64_t format);

// The cube the store holds, read within the caller's transaction. A cube the model refuses
// (a Failure from the cube model) makes the store damaged.
std::shared_ptr<MemoryCube> readStoredCube(sqlite::Connection& db,
                                           const std::filesystem::path& file, std::int64_t format);

}  // namespace annalex::cube
