#pragma once
// Where the wizard's cube comes from and goes to: the SQLite cube store at a path, read into an
// in-memory cube when the wizard opens and written back after a generation. An empty path means
// a cube in memory only (nothing is read or written).

#include <QString>
#include <memory>

#include "cube/memory_model.hpp"

namespace annalex::wizard {

// Raises an annalex::Failure whose description names the file when the store cannot be read
// (not a store, damaged, from a newer version); the file is then left as it was.
std::shared_ptr<cube::MemoryCube> openCubeForWizard(const QString& path);

// Saves the cube; returns an empty text on success, otherwise what went wrong (naming the
// file). A failed save leaves the previous content of the store whole.
QString saveCubeForWizard(const QString& path, const cube::MemoryCube& cube);

}  // namespace annalex::wizard
