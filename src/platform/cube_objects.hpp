#pragma once
// The product's in-memory cube library as automation objects (ProgIDs Annalex.Cube,
// Annalex.Hierarchy, Annalex.Level, Annalex.AttributeDef, Annalex.Member): the cube model's
// operations the control calls, and a read side for hosts that look at what was written.
//
// Each object holds the model object it shows, so it stays valid as long as the host keeps it;
// asking twice for the same hierarchy, level or member gives two objects over the same model
// object. A member read back (firstRoot, firstChild, ...) is a handle to its place in the
// hierarchy: once its level is removed or the hierarchy cleared, calls on it fail with "object
// not set".

#include "cube/memory_model.hpp"
#include "platform/model_object_base.hpp"

namespace annalex::platform {

// The objects of the classes hosts create, each with one reference (null when memory is
// exhausted).
IUnknown* createCubeObject();
IUnknown* createHierarchyObject();
IUnknown* createLevelObject();
IUnknown* createAttributeDefObject();
IUnknown* createMemberObject();

class CubeObject : public ModelObjectBase<IAnnalexCube, cube::MemoryCube> {
  public:
    explicit CubeObject(std::shared_ptr<cube::MemoryCube> model)
        : ModelObjectBase(std::move(model), &CLSID_Cube) {}

    HRESULT STDMETHODCALLTYPE ensureDimension(BSTR name, IDispatch** dimension) override;
};

class DimensionObject : public ModelObjectBase<IAnnalexDimension, cube::MemoryDimension> {
  public:
    explicit DimensionObject(std::shared_ptr<cube::MemoryDimension> model)
        : ModelObjectBase(std::move(model), nullptr) {}

    HRESULT STDMETHODCALLTYPE getName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE hierarchyCount(short* count) override;
    HRESULT STDMETHODCALLTYPE hierarchy(short index, IDispatch** hierarchy) override;
    HRESULT STDMETHODCALLTYPE addHierarchy(IDispatch* hierarchy) override;
};

class HierarchyObject : public ModelObjectBase<IAnnalexHierarchy, cube::MemoryHierarchy> {
  public:
    explicit HierarchyObject(std::shared_ptr<cube::MemoryHierarchy> model)
        : ModelObjectBase(std::move(model), &CLSID_Hierarchy) {}

    HRESULT STDMETHODCALLTYPE putName(BSTR name) override;
    HRESULT STDMETHODCALLTYPE getName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE levelAt(LONG index, IDispatch** level) override;
    HRESULT STDMETHODCALLTYPE levelNamed(BSTR name, IDispatch** level) override;
    HRESULT STDMETHODCALLTYPE addLevel(IDispatch* level) override;
    HRESULT STDMETHODCALLTYPE removeLevel(IDispatch* level) override;
    HRESULT STDMETHODCALLTYPE clear() override;
    HRESULT STDMETHODCALLTYPE levelCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE firstRoot(IDispatch** member) override;
};

class LevelObject : public ModelObjectBase<IAnnalexLevel, cube::MemoryLevel> {
  public:
    explicit LevelObject(std::shared_ptr<cube::MemoryLevel> model)
        : ModelObjectBase(std::move(model), &CLSID_Level) {}

    HRESULT STDMETHODCALLTYPE putName(BSTR name) override;
    HRESULT STDMETHODCALLTYPE getName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE putLevelType(LONG code) override;
    HRESULT STDMETHODCALLTYPE getLevelType(LONG* code) override;
    HRESULT STDMETHODCALLTYPE addAttributeDef(IDispatch* definition) override;
    HRESULT STDMETHODCALLTYPE findMembers(BSTR name, IDispatch** members) override;
    HRESULT STDMETHODCALLTYPE addRootMember(IDispatch* member) override;
    HRESULT STDMETHODCALLTYPE attributeDefCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE attributeDef(LONG index, IDispatch** definition) override;
};

class AttributeDefObject : public ModelObjectBase<IAnnalexAttributeDef, cube::MemoryAttributeDef> {
  public:
    explicit AttributeDefObject(std::shared_ptr<cube::MemoryAttributeDef> model)
        : ModelObjectBase(std::move(model), &CLSID_AttributeDef) {}

    HRESULT STDMETHODCALLTYPE putName(BSTR key) override;
    HRESULT STDMETHODCALLTYPE getName(BSTR* key) override;
    HRESULT STDMETHODCALLTYPE putCaption(BSTR caption) override;
    HRESULT STDMETHODCALLTYPE getCaption(BSTR* caption) override;
};

class MemberObject : public ModelObjectBase<IAnnalexMember, cube::MemoryMember> {
  public:
    explicit MemberObject(std::shared_ptr<cube::MemoryMember> model)
        : ModelObjectBase(std::move(model), &CLSID_Member) {}

    HRESULT STDMETHODCALLTYPE putName(BSTR name) override;
    HRESULT STDMETHODCALLTYPE getName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE putOrder(LONG order) override;
    HRESULT STDMETHODCALLTYPE getOrder(LONG* order) override;
    HRESULT STDMETHODCALLTYPE putParent(IDispatch* parent) override;
    HRESULT STDMETHODCALLTYPE setAttribute(BSTR key, BSTR value) override;
    HRESULT STDMETHODCALLTYPE getParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE getLevel(IDispatch** level) override;
    HRESULT STDMETHODCALLTYPE firstChild(IDispatch** child) override;
    HRESULT STDMETHODCALLTYPE nextSibling(IDispatch** sibling) override;
    HRESULT STDMETHODCALLTYPE attributeCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE attributeKey(LONG index, BSTR* key) override;
    HRESULT STDMETHODCALLTYPE attributeValue(LONG index, BSTR* value) override;

  private:
    // The placed member's record (a failure for one not placed, or removed since).
    const cube::MemberRecord& record();
    // Hands out the member of that id in the same store (Nothing for kNoMember).
    void handOutMember(std::uint32_t id, IDispatch** result);
    // The definition position of the attribute value at index, in the order first set.
    std::uint16_t attributeKeyAt(LONG index);
};

}  // namespace annalex::platform
