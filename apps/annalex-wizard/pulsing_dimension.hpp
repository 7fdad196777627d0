#pragma once
// A see-through wrapper around the time dimension the page generates into, so that the window
// can keep painting while Ok generates on the window's thread: every `every` members the page
// creates, pulse is called with the number created so far. Everything else passes straight to
// the wrapped dimension, and the objects the page creates are the wrapped model's own.

#include <cstdint>
#include <functional>

#include "cube/cube_model.hpp"

namespace annalex::wizard {

class PulsingDimension final : public cube::Dimension {
  public:
    using Pulse = std::function<void(std::uint64_t created)>;

    PulsingDimension(cube::DimensionRef wrapped, Pulse pulse, std::uint32_t every);

    std::int16_t hierarchyCount() const override { return wrapped_->hierarchyCount(); }
    cube::HierarchyRef hierarchy(std::int16_t index) const override {
        return wrapped_->hierarchy(index);
    }
    void addHierarchy(const cube::HierarchyRef& hierarchy) override {
        wrapped_->addHierarchy(hierarchy);
    }
    cube::ObjectFactory& objects() override { return factory_; }

    // Members created since the last restart; pulses count from there too.
    std::uint64_t created() const { return factory_.created; }
    void restartCount() { factory_.created = 0; }

  private:
    struct CountingFactory final : public cube::ObjectFactory {
        cube::HierarchyRef newHierarchy() override { return wrapped->newHierarchy(); }
        cube::LevelRef newLevel() override { return wrapped->newLevel(); }
        cube::AttributeDefRef newAttributeDef() override { return wrapped->newAttributeDef(); }
        cube::MemberRef newMember() override;

        cube::ObjectFactory* wrapped = nullptr;
        Pulse pulse;
        std::uint32_t every = 1;
        std::uint64_t created = 0;
    };

    cube::DimensionRef wrapped_;
    CountingFactory factory_;
};

}  // namespace annalex::wizard
