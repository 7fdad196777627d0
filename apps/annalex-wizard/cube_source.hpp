#pragma once
// Where the wizard's cube comes from and goes to: the SQLite cube store at a path, read into an
// in-memory cube when the wizard opens and written back after a generation. An empty path means
// a cube in memory only (nothing is read or written).

#include <QString>
#include <memory>
#include <optional>

#include "cube/cube_store.hpp"
#include "cube/memory_model.hpp"

namespace annalex::wizard {

inline constexpr const char* kTimeDimensionName = "Time";

struct OpenedStore {
    QString path;                          // empty for a cube in memory only
    std::optional<cube::CubeStore> store;  // the store as it was read; none in memory
    std::shared_ptr<cube::MemoryCube> cube;
};

// Raises an annalex::Failure whose description names the file when the store cannot be read
// (not a store, damaged, from a newer version); the file is then left as it was.
OpenedStore openCubeForWizard(const QString& path);

// Saves the cube's time dimension into the store, keeping every other dimension as the file
// holds it (another program may have saved one meanwhile); returns an empty text on success,
// otherwise what went wrong (naming the file). A failed save leaves the previous content of the
// store whole. Safe to call from a thread other than the one that opened the store, as long as
// nothing touches the cube meanwhile.
QString saveCubeForWizard(OpenedStore& opened);

}  // namespace annalex::wizard
