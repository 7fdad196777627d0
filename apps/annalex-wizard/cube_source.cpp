#include "cube_source.hpp"

#include "common/failure.hpp"

namespace annalex::wizard {

OpenedStore openCubeForWizard(const QString& path) {
    OpenedStore opened;
    opened.path = path;
    if (path.isEmpty()) {
        opened.cube = std::make_shared<cube::MemoryCube>();
        return opened;
    }
    opened.store.emplace(cube::CubeStore::open(path.toStdString()));
    opened.cube = opened.store->load();
    return opened;
}

QString saveCubeForWizard(OpenedStore& opened) {
    if (!opened.store) {
        return {};
    }
    try {
        opened.store->save(*opened.cube, {kTimeDimensionName});
        return {};
    } catch (const Failure& failure) {
        return QString::fromStdString(failure.description());
    } catch (const std::bad_alloc&) {
        return QStringLiteral("'%1': memory ran out while saving").arg(opened.path);
    }
}

}  // namespace annalex::wizard
