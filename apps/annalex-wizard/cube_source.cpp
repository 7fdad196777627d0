#include "cube_source.hpp"

namespace annalex::wizard {

std::shared_ptr<cube::MemoryCube> openCubeForWizard(const QString& path) {
    // The store at path is not read yet: every run starts from an empty cube.
    (void)path;
    return std::make_shared<cube::MemoryCube>();
}

bool saveCubeForWizard(const QString& path, const cube::MemoryCube& cube) {
    // Nothing is written yet; the generated dimension lives as long as the window.
    (void)path;
    (void)cube;
    return true;
}

}  // namespace annalex::wizard
