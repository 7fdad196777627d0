#pragma once
// Writing a cube into a store of the current format (store_schema.hpp), within the caller's
// transaction: the tables are emptied first, so what they hold afterwards is exactly the
// dimensions given, in their order.

#include <vector>

#include "cube/memory_model.hpp"
#include "cube/sqlite_handle.hpp"

namespace annalex::cube {

void writeStoredCube(sqlite::Connection& db, const std::vector<const MemoryDimension*>& dimensions);

}  // namespace annalex::cube
