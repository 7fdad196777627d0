#pragma once
// A time dimension that refuses to make some members, each refusal a failure as the cube raises
// it when it runs out of memory; everything else goes to the real dimension. The wizard hands
// one that refuses every member to the page when asked to fail a generation on purpose
// (--fail-generation), so that the error report can be shown without a broken cube; tests pick
// the one member whose refusal they want to see handled.

#include <cstddef>
#include <functional>
#include <memory>

#include "common/failure.hpp"
#include "cube/cube_model.hpp"

namespace annalex::testing {

class RefusingDimension final : public cube::Dimension, private cube::ObjectFactory {
  public:
    // Whether to refuse the member asked for at position (0 for the first).
    using Choice = std::function<bool(std::size_t position)>;

    explicit RefusingDimension(
        cube::DimensionRef inner, Choice refuses = [](std::size_t) { return true; })
        : inner_(std::move(inner)), refuses_(std::move(refuses)) {}

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
    cube::MemberRef newMember() override {
        if (refuses_(asked_++)) {
            raise(ErrorNumber::OutOfMemory, "Cubelink.Member");
        }
        return inner_->objects().newMember();
    }

    cube::DimensionRef inner_;
    Choice refuses_;
    std::size_t asked_ = 0;
};

}  // namespace annalex::testing
