#include "cube_source.hpp"

#include "common/failure.hpp"
#include "cube/cube_store.hpp"

namespace annalex::wizard {

std::shared_ptr<cube::MemoryCube> openCubeForWizard(const QString& path) {
    if (path.isEmpty()) {
        return std::make_shared<cube::MemoryCube>();
    }
    return cube::CubeStore::open(path.toStdString()).load();
}

QString saveCubeForWizard(const QString& path, const cube::MemoryCube& cube) {
    if (path.isEmpty()) {
        return {};
    }
    try {
        cube::CubeStore store = cube::CubeStore::open(path.toStdString());
        store.save(cube);
        return {};
    } catch (const Failure& failure) {
        return QString::fromStdString(failure.description());
    }
}

}  // namespace annalex::wizard
