#pragma once
// A time dimension that refuses to make members: everything else goes to the real dimension.
// The wizard hands it to the page when asked to fail a generation on purpose (--fail-generation),
// so that the error report can be shown and photographed without a broken cube.

#include <memory>

#include "common/failure.hpp"
#include "cube/cube_model.hpp"

namespace annalex::wizard {

class RefusingDimension final : public cube::Dimension, private cube::ObjectFactory {
  public:
    explicit RefusingDimension(cube::DimensionRef inner) : inner_(std::move(inner)) {}

    std::int16_t hierarchyCount() const override { return inner_->hierarchyCount(); }
    cube::HierarchyRef hierarchy(std::int16_t index) const override {
        return inner_->hierarchy(index);
    }
    void addHierarchy(const cube::HierarchyRef& hierarchy) override {
        inner_->addHierarchy(hierarchy);
    }
    cube::ObjectFactory& objects() override { return *this; }

  private:
    cube::HierarchyRef newHierarchy() override { return inner_->objects().newHierarchy(); }
    cube::LevelRef newLevel() override { return inner_->objects().newLevel(); }
    cube::AttributeDefRef newAttributeDef() override { return inner_->objects().newAttributeDef(); }
    cube::MemberRef newMember() override { raise(ErrorNumber::OutOfMemory, "Cubelink.Member"); }

    cube::DimensionRef inner_;
};

}  // namespace annalex::wizard
