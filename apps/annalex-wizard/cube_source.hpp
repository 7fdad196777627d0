#pragma once
// Where the wizard's cube comes from and goes to. These two functions are the one place where
// the cube store is plugged in: opening reads the store at path into an in-memory cube, saving
// writes the cube back. Until the store is part of the build, opening starts from an empty cube
// and saving keeps nothing.

#include <QString>
#include <memory>

#include "cube/memory_model.hpp"

namespace annalex::wizard {

std::shared_ptr<cube::MemoryCube> openCubeForWizard(const QString& path);

// Returns false when the cube could not be saved.
bool saveCubeForWizard(const QString& path, const cube::MemoryCube& cube);

}  // namespace annalex::wizard
