#pragma once
// The in-memory cube model as COM objects: AnnalexCube, its dimensions, and read-only views of
// a dimension's hierarchies, levels and members. Each view holds the model object it shows, so
// it stays valid as long as the host keeps it.

#include <cstdint>
#include <memory>

#include "cube/memory_model.hpp"
#include "platform/annalex_com.hpp"
#include "platform/com_object.hpp"

namespace annalex::platform {

class CubeObject final : public ComObject<IAnnalexCube, IID_IAnnalexCube> {
  public:
    CubeObject();
    const std::shared_ptr<cube::MemoryCube>& model() const { return cube_; }

    HRESULT STDMETHODCALLTYPE EnsureDimension(BSTR name, IAnnalexDimension** dimension) override;

    // The cube object behind an interface pointer when it is one of this server's, else null.
    static CubeObject* fromInterface(IAnnalexCube* cube);

  private:
    ~CubeObject() override;
    std::shared_ptr<cube::MemoryCube> cube_;
};

class DimensionObject final : public ComObject<IAnnalexDimension, IID_IAnnalexDimension> {
  public:
    explicit DimensionObject(std::shared_ptr<cube::MemoryDimension> dimension);
    const std::shared_ptr<cube::MemoryDimension>& model() const { return dimension_; }

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_HierarchyCount(short* count) override;
    HRESULT STDMETHODCALLTYPE Hierarchy(short index, IAnnalexHierarchy** hierarchy) override;

    // The dimension object behind an interface pointer when it is one of this server's, else
    // null.
    static DimensionObject* fromInterface(IAnnalexDimension* dimension);

  private:
    ~DimensionObject() override;
    std::shared_ptr<cube::MemoryDimension> dimension_;
};

class HierarchyObject final : public ComObject<IAnnalexHierarchy, IID_IAnnalexHierarchy> {
  public:
    explicit HierarchyObject(std::shared_ptr<cube::MemoryHierarchy> hierarchy)
        : hierarchy_(std::move(hierarchy)) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_LevelCount(long* count) override;
    HRESULT STDMETHODCALLTYPE Level(long position, IAnnalexLevel** level) override;
    HRESULT STDMETHODCALLTYPE get_MemberCount(long* count) override;
    HRESULT STDMETHODCALLTYPE Member(long index, IAnnalexMember** member) override;

  private:
    std::shared_ptr<cube::MemoryHierarchy> hierarchy_;
};

class LevelObject final : public ComObject<IAnnalexLevel, IID_IAnnalexLevel> {
  public:
    LevelObject(std::shared_ptr<cube::MemoryHierarchy> hierarchy, std::size_t position)
        : hierarchy_(std::move(hierarchy)), position_(position) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_LevelType(long* code) override;
    HRESULT STDMETHODCALLTYPE get_AttributeDefCount(long* count) override;
    HRESULT STDMETHODCALLTYPE AttributeDef(long index, BSTR* key, BSTR* caption) override;

  private:
    // The level, or null when the hierarchy no longer has that many levels.
    const cube::MemoryLevel* level() const;

    std::shared_ptr<cube::MemoryHierarchy> hierarchy_;
    std::size_t position_;  // from 0
};

class MemberObject final : public ComObject<IAnnalexMember, IID_IAnnalexMember> {
  public:
    MemberObject(std::shared_ptr<cube::MemoryHierarchy> hierarchy, std::uint32_t id)
        : hierarchy_(std::move(hierarchy)), id_(id) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_Order(long* order) override;
    HRESULT STDMETHODCALLTYPE get_LevelPosition(long* position) override;
    HRESULT STDMETHODCALLTYPE get_ParentIndex(long* index) override;
    HRESULT STDMETHODCALLTYPE get_AttributeCount(long* count) override;
    HRESULT STDMETHODCALLTYPE Attribute(long index, BSTR* key, BSTR* value) override;

  private:
    // False when the hierarchy no longer has the member (its level was removed).
    bool present() const { return id_ < hierarchy_->memberCount(); }

    std::shared_ptr<cube::MemoryHierarchy> hierarchy_;
    std::uint32_t id_;
};

}  // namespace annalex::platform
