#include "platform/cube_objects.hpp"

#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace annalex::platform {

namespace {

// The live objects of one kind, so that a pointer a host passes in can be recognised as one of
// this server's before it is used as such.
template <typename Object>
class LiveObjects {
  public:
    void add(Object* object) {
        std::lock_guard lock(mutex_);
        objects_.insert(object);
    }
    void remove(Object* object) {
        std::lock_guard lock(mutex_);
        objects_.erase(object);
    }
    template <typename Interface>
    Object* find(Interface* pointer) {
        std::lock_guard lock(mutex_);
        for (Object* object : objects_) {
            if (static_cast<Interface*>(object) == pointer) {
                return object;
            }
        }
        return nullptr;
    }

  private:
    std::mutex mutex_;
    std::set<Object*> objects_;
};

LiveObjects<CubeObject>& liveCubes() {
    static LiveObjects<CubeObject> objects;
    return objects;
}

LiveObjects<DimensionObject>& liveDimensions() {
    static LiveObjects<DimensionObject> objects;
    return objects;
}

template <typename T>
HRESULT putValue(T value, T* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = value;
    return S_OK;
}

// The attribute values of a member, in the order they were set.
std::vector<std::pair<std::string, std::string>> attributesOf(const cube::MemoryHierarchy& h,
                                                              std::uint32_t id) {
    std::vector<std::pair<std::string, std::string>> values;
    h.forEachAttribute(
        id, [&](std::string_view key, std::string_view value) { values.emplace_back(key, value); });
    return values;
}

}  // namespace

// ---- AnnalexCube ----

CubeObject::CubeObject() : cube_(std::make_shared<cube::MemoryCube>()) {
    liveCubes().add(this);
}

CubeObject::~CubeObject() {
    liveCubes().remove(this);
}

CubeObject* CubeObject::fromInterface(IAnnalexCube* cube) {
    return cube == nullptr ? nullptr : liveCubes().find(cube);
}

HRESULT CubeObject::EnsureDimension(BSTR name, IAnnalexDimension** dimension) {
    if (dimension == nullptr) {
        return E_POINTER;
    }
    try {
        return handOut(new DimensionObject(cube_->ensureDimension(fromBstr(name))), dimension);
    } catch (...) {
        *dimension = nullptr;
        return E_FAIL;
    }
}

// ---- dimension ----

DimensionObject::DimensionObject(std::shared_ptr<cube::MemoryDimension> dimension)
    : dimension_(std::move(dimension)) {
    liveDimensions().add(this);
}

DimensionObject::~DimensionObject() {
    liveDimensions().remove(this);
}

DimensionObject* DimensionObject::fromInterface(IAnnalexDimension* dimension) {
    return dimension == nullptr ? nullptr : liveDimensions().find(dimension);
}

HRESULT DimensionObject::get_Name(BSTR* name) {
    return putBstr(dimension_->name(), name);
}

HRESULT DimensionObject::get_HierarchyCount(short* count) {
    return putValue<short>(dimension_->hierarchyCount(), count);
}

HRESULT DimensionObject::Hierarchy(short index, IAnnalexHierarchy** hierarchy) {
    if (hierarchy == nullptr) {
        return E_POINTER;
    }
    *hierarchy = nullptr;
    const auto& all = dimension_->hierarchies();
    if (index < 1 || static_cast<std::size_t>(index) > all.size()) {
        return E_INVALIDARG;
    }
    return handOut(new HierarchyObject(all[static_cast<std::size_t>(index) - 1]), hierarchy);
}

// ---- hierarchy ----

HRESULT HierarchyObject::get_Name(BSTR* name) {
    return putBstr(hierarchy_->name(), name);
}

HRESULT HierarchyObject::get_LevelCount(long* count) {
    return putValue<long>(static_cast<long>(hierarchy_->levelCount()), count);
}

HRESULT HierarchyObject::Level(long position, IAnnalexLevel** level) {
    if (level == nullptr) {
        return E_POINTER;
    }
    *level = nullptr;
    if (position < 1 || static_cast<std::size_t>(position) > hierarchy_->levelCount()) {
        return E_INVALIDARG;
    }
    return handOut(new LevelObject(hierarchy_, static_cast<std::size_t>(position) - 1), level);
}

HRESULT HierarchyObject::get_MemberCount(long* count) {
    return putValue<long>(static_cast<long>(hierarchy_->memberCount()), count);
}

HRESULT HierarchyObject::Member(long index, IAnnalexMember** member) {
    if (member == nullptr) {
        return E_POINTER;
    }
    *member = nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= hierarchy_->memberCount()) {
        return E_INVALIDARG;
    }
    return handOut(new MemberObject(hierarchy_, static_cast<std::uint32_t>(index)), member);
}

// ---- level ----

const cube::MemoryLevel* LevelObject::level() const {
    return position_ < hierarchy_->levelCount() ? &hierarchy_->level(position_) : nullptr;
}

HRESULT LevelObject::get_Name(BSTR* name) {
    const auto* found = level();
    return found == nullptr ? E_FAIL : putBstr(found->name(), name);
}

HRESULT LevelObject::get_LevelType(long* code) {
    const auto* found = level();
    return found == nullptr ? E_FAIL : putValue<long>(found->type(), code);
}

HRESULT LevelObject::get_AttributeDefCount(long* count) {
    const auto* found = level();
    return found == nullptr
               ? E_FAIL
               : putValue<long>(static_cast<long>(found->attributeDefs().size()), count);
}

HRESULT LevelObject::AttributeDef(long index, BSTR* key, BSTR* caption) {
    if (key == nullptr || caption == nullptr) {
        return E_POINTER;
    }
    const auto* found = level();
    if (found == nullptr) {
        return E_FAIL;
    }
    const auto& definitions = found->attributeDefs();
    if (index < 0 || static_cast<std::size_t>(index) >= definitions.size()) {
        return E_INVALIDARG;
    }
    const auto& definition = *definitions[static_cast<std::size_t>(index)];
    const HRESULT result = putBstr(definition.key(), key);
    return FAILED(result) ? result : putBstr(definition.caption(), caption);
}

// ---- member ----

HRESULT MemberObject::get_Name(BSTR* name) {
    return present() ? putBstr(hierarchy_->member(id_).name(), name) : E_FAIL;
}

HRESULT MemberObject::get_Order(long* order) {
    return present() ? putValue<long>(hierarchy_->member(id_).order(), order) : E_FAIL;
}

HRESULT MemberObject::get_LevelPosition(long* position) {
    return present() ? putValue<long>(
                           static_cast<long>(hierarchy_->member(id_).levelPosition()) + 1, position)
                     : E_FAIL;
}

HRESULT MemberObject::get_ParentIndex(long* index) {
    if (!present()) {
        return E_FAIL;
    }
    const auto parent = hierarchy_->member(id_).parent();
    return putValue<long>(parent == cube::kNoMember ? -1 : static_cast<long>(parent), index);
}

HRESULT MemberObject::get_AttributeCount(long* count) {
    return present()
               ? putValue<long>(static_cast<long>(attributesOf(*hierarchy_, id_).size()), count)
               : E_FAIL;
}

HRESULT MemberObject::Attribute(long index, BSTR* key, BSTR* value) {
    if (key == nullptr || value == nullptr) {
        return E_POINTER;
    }
    if (!present()) {
        return E_FAIL;
    }
    const auto values = attributesOf(*hierarchy_, id_);
    if (index < 0 || static_cast<std::size_t>(index) >= values.size()) {
        return E_INVALIDARG;
    }
    const auto& [name, text] = values[static_cast<std::size_t>(index)];
    const HRESULT result = putBstr(name, key);
    return FAILED(result) ? result : putBstr(text, value);
}

}  // namespace annalex::platform
