// The cube, its dimensions and their hierarchies as automation objects.

#include "platform/cube_objects.hpp"

namespace annalex::platform {

namespace {

template <typename Object, typename Model>
IUnknown* createNew() {
    try {
        auto object = createObject<Object>(std::make_shared<Model>());
        return object ? static_cast<IDispatch*>(object.Detach()) : nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

IUnknown* createCubeObject() {
    return createNew<CubeObject, cube::MemoryCube>();
}

IUnknown* createHierarchyObject() {
    return createNew<HierarchyObject, cube::MemoryHierarchy>();
}

IUnknown* createLevelObject() {
    return createNew<LevelObject, cube::MemoryLevel>();
}

IUnknown* createAttributeDefObject() {
    return createNew<AttributeDefObject, cube::MemoryAttributeDef>();
}

IUnknown* createMemberObject() {
    return createNew<MemberObject, cube::MemoryMember>();
}

// ---- Cube ----

HRESULT CubeObject::ensureDimension(BSTR name, IDispatch** dimension) {
    return call(
        [&] { handOut<DimensionObject>(object().ensureDimension(fromBstr(name)), dimension); });
}

// ---- Dimension ----

HRESULT DimensionObject::getName(BSTR* name) {
    return call([&] { handOutText(object().name(), name); });
}

HRESULT DimensionObject::hierarchyCount(short* count) {
    return call([&] { out(count) = object().hierarchyCount(); });
}

HRESULT DimensionObject::hierarchy(short index, IDispatch** hierarchy) {
    return call([&] {
        auto found = std::static_pointer_cast<cube::MemoryHierarchy>(object().hierarchy(index));
        handOut<HierarchyObject>(std::move(found), hierarchy);
    });
}

HRESULT DimensionObject::addHierarchy(IDispatch* hierarchy) {
    return call([&] {
        object().addHierarchy(
            ownArgument<cube::MemoryHierarchy>(hierarchy, "addHierarchy", "hierarchy"));
    });
}

// ---- Hierarchy ----

HRESULT HierarchyObject::putName(BSTR name) {
    return call([&] { object().putName(fromBstr(name)); });
}

HRESULT HierarchyObject::getName(BSTR* name) {
    return call([&] { handOutText(object().name(), name); });
}

HRESULT HierarchyObject::levelAt(LONG index, IDispatch** level) {
    return call([&] {
        handOut<LevelObject>(std::static_pointer_cast<cube::MemoryLevel>(object().levelAt(index)),
                             level);
    });
}

HRESULT HierarchyObject::levelNamed(BSTR name, IDispatch** level) {
    return call([&] {
        handOut<LevelObject>(
            std::static_pointer_cast<cube::MemoryLevel>(object().levelNamed(fromBstr(name))),
            level);
    });
}

HRESULT HierarchyObject::addLevel(IDispatch* level) {
    return call(
        [&] { object().addLevel(ownArgument<cube::MemoryLevel>(level, "addLevel", "level")); });
}

HRESULT HierarchyObject::removeLevel(IDispatch* level) {
    return call([&] {
        object().removeLevel(ownArgument<cube::MemoryLevel>(level, "removeLevel", "level"));
    });
}

HRESULT HierarchyObject::clear() {
    return call([&] { object().clear(); });
}

HRESULT HierarchyObject::levelCount(LONG* count) {
    return call([&] { out(count) = static_cast<LONG>(object().levelCount()); });
}

HRESULT HierarchyObject::firstRoot(IDispatch** member) {
    return call([&] {
        const auto& store = object().store();
        const std::uint32_t first = store->firstRoot();
        handOut<MemberObject>(
            first == cube::kNoMember ? nullptr : cube::MemoryMember::placedAt(store, first),
            member);
    });
}

}  // namespace annalex::platform
