#include "progress_dimension.hpp"

namespace annalex::cli {
namespace {

// The first level, counting top members as they are added.
class CountingLevel final : public cube::Level {
  public:
    CountingLevel(cube::LevelRef wrapped, const ProgressDimension::TopMemberAdded& onTopMember)
        : wrapped_(std::move(wrapped)), onTopMember_(onTopMember) {}

    void putName(std::string_view name) override { wrapped_->putName(name); }
    std::string getName() const override { return wrapped_->getName(); }
    void putLevelType(std::int32_t code) override { wrapped_->putLevelType(code); }
    std::int32_t getLevelType() const override { return wrapped_->getLevelType(); }
    void addAttributeDef(const cube::AttributeDefRef& definition) override {
        wrapped_->addAttributeDef(definition);
    }
    cube::MemberCollection findMembers(std::string_view name) const override {
        return wrapped_->findMembers(name);
    }
    void addRootMember(const cube::MemberRef& member) override {
        wrapped_->addRootMember(member);
        onTopMember_();
    }

    const cube::LevelRef& wrapped() const { return wrapped_; }

  private:
    cube::LevelRef wrapped_;
    const ProgressDimension::TopMemberAdded& onTopMember_;
};

class WatchedHierarchy final : public cube::Hierarchy {
  public:
    WatchedHierarchy(cube::HierarchyRef wrapped,
                     const ProgressDimension::TopMemberAdded& onTopMember)
        : wrapped_(std::move(wrapped)), onTopMember_(onTopMember) {}

    void putName(std::string_view name) override { wrapped_->putName(name); }
    std::string getName() const override { return wrapped_->getName(); }
    cube::LevelRef levelAt(std::int32_t index) const override {
        cube::LevelRef level = wrapped_->levelAt(index);
        if (index != 1 || !level) {
            return level;
        }
        if (!first_ || first_->wrapped() != level) {
            first_ = std::make_shared<CountingLevel>(level, onTopMember_);
        }
        return first_;
    }
    cube::LevelRef levelNamed(std::string_view name) const override {
        return wrapped_->levelNamed(name);
    }
    void addLevel(const cube::LevelRef& level) override { wrapped_->addLevel(unwrap(level)); }
    void removeLevel(const cube::LevelRef& level) override { wrapped_->removeLevel(unwrap(level)); }
    void clear() override { wrapped_->clear(); }

  private:
    cube::LevelRef unwrap(const cube::LevelRef& level) const {
        if (first_ && level == first_) {
            return first_->wrapped();
        }
        return level;
    }

    cube::HierarchyRef wrapped_;
    const ProgressDimension::TopMemberAdded& onTopMember_;
    mutable std::shared_ptr<CountingLevel> first_;
};

}  // namespace

ProgressDimension::ProgressDimension(cube::DimensionRef wrapped, TopMemberAdded onTopMember)
    : wrapped_(std::move(wrapped)), onTopMember_(std::move(onTopMember)) {}

cube::HierarchyRef ProgressDimension::hierarchy(std::int16_t index) const {
    cube::HierarchyRef real = wrapped_->hierarchy(index);
    if (index != 1) {
        return real;
    }
    for (const auto& [inner, outer] : hierarchies_) {
        if (inner == real) {
            return outer;
        }
    }
    hierarchies_.emplace_back(real, std::make_shared<WatchedHierarchy>(real, onTopMember_));
    return hierarchies_.back().second;
}

}  // namespace annalex::cli
