#pragma once
// A see-through wrapper around a time dimension that tells an observer each time a top member
// is added to the first level of its first hierarchy: when Year is the highest chosen level,
// that is one year done. Everything else passes straight to the wrapped dimension; the objects
// the control creates (levels, members) are the wrapped model's own.

#include <functional>
#include <memory>
#include <vector>

#include "cube/cube_model.hpp"

namespace annalex::cli {

class ProgressDimension final : public cube::Dimension {
  public:
    using TopMemberAdded = std::function<void()>;

    ProgressDimension(cube::DimensionRef wrapped, TopMemberAdded onTopMember);

    std::int16_t hierarchyCount() const override { return wrapped_->hierarchyCount(); }
    cube::HierarchyRef hierarchy(std::int16_t index) const override;
    void addHierarchy(const cube::HierarchyRef& hierarchy) override {
        wrapped_->addHierarchy(hierarchy);
    }
    cube::ObjectFactory& objects() override { return wrapped_->objects(); }

  private:
    cube::DimensionRef wrapped_;
    TopMemberAdded onTopMember_;
    // Wrappers handed out, kept so that the same hierarchy is always the same object.
    mutable std::vector<std::pair<cube::HierarchyRef, cube::HierarchyRef>> hierarchies_;
};

}  // namespace annalex::cli
