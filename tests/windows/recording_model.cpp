#include "recording_model.hpp"

#include "cube/dimension_export.hpp"

namespace annalex::testing {

namespace {

using cube::jsonString;

// What every recording object has: its name, the inner object, and the recording.
template <typename Inner>
class Recorded {
  public:
    Recorded(std::string name, std::shared_ptr<Inner> inner, Recording& recording)
        : name_(std::move(name)), inner_(std::move(inner)), recording_(recording) {}
    virtual ~Recorded() = default;

    const std::string& name() const { return name_; }
    const std::shared_ptr<Inner>& inner() const { return inner_; }

  protected:
    void log(const std::string& call) const { recording_.write(name_ + "." + call); }
    Recording& recording() const { return recording_; }

  private:
    std::string name_;
    std::shared_ptr<Inner> inner_;
    Recording& recording_;
};

// The inner object behind a recording reference, and its name for the log.
template <typename Inner, typename Outer>
std::shared_ptr<Inner> innerOf(const std::shared_ptr<Outer>& outer) {
    const auto* recorded = dynamic_cast<const Recorded<Inner>*>(outer.get());
    return recorded == nullptr ? nullptr : recorded->inner();
}

// The name of a recording object for the log ("?" for another model's object).
template <typename Interface>
std::string nameOf(const std::shared_ptr<Interface>& outer) {
    if (!outer) {
        return "Nothing";
    }
    const auto* recorded = dynamic_cast<const Recorded<Interface>*>(outer.get());
    return recorded == nullptr ? "?" : recorded->name();
}

class RecordingAttributeDef final : public cube::AttributeDef, public Recorded<cube::AttributeDef> {
  public:
    using Recorded::Recorded;
    void putName(std::string_view key) override {
        log("putName(" + jsonString(key) + ")");
        inner()->putName(key);
    }
    std::string getName() const override { return inner()->getName(); }
    void putCaption(std::string_view caption) override {
        log("putCaption(" + jsonString(caption) + ")");
        inner()->putCaption(caption);
    }
    std::string getCaption() const override { return inner()->getCaption(); }
};

class RecordingMember final : public cube::Member, public Recorded<cube::Member> {
  public:
    using Recorded::Recorded;
    void putName(std::string_view name) override {
        log("putName(" + jsonString(name) + ")");
        inner()->putName(name);
    }
    std::string getName() const override {
        std::string name = inner()->getName();
        log("getName() -> " + jsonString(name));
        return name;
    }
    void putOrder(std::int32_t order) override {
        log("putOrder(" + std::to_string(order) + ")");
        inner()->putOrder(order);
    }
    void putParent(const cube::MemberRef& parent) override {
        log("putParent(" + nameOf(parent) + ")");
        inner()->putParent(innerOf<cube::Member>(parent));
    }
    void setAttribute(std::string_view key, std::string_view value) override {
        log("setAttribute(" + jsonString(key) + ", " + jsonString(value) + ")");
        inner()->setAttribute(key, value);
    }
};

class RecordingLevel final : public cube::Level, public Recorded<cube::Level> {
  public:
    using Recorded::Recorded;
    void putName(std::string_view name) override {
        log("putName(" + jsonString(name) + ")");
        inner()->putName(name);
    }
    std::string getName() const override { return inner()->getName(); }
    void putLevelType(std::int32_t code) override {
        log("putLevelType(" + std::to_string(code) + ")");
        inner()->putLevelType(code);
    }
    std::int32_t getLevelType() const override { return inner()->getLevelType(); }
    void addAttributeDef(const cube::AttributeDefRef& definition) override {
        log("addAttributeDef(" + nameOf(definition) + ")");
        inner()->addAttributeDef(innerOf<cube::AttributeDef>(definition));
    }
    cube::MemberCollection findMembers(std::string_view name) const override {
        const auto found = inner()->findMembers(name);
        log("findMembers(" + jsonString(name) + ").Count -> " + std::to_string(found.Count()));
        return found;
    }
    void addRootMember(const cube::MemberRef& member) override {
        log("addRootMember(" + nameOf(member) + ")");
        inner()->addRootMember(innerOf<cube::Member>(member));
    }
};

class RecordingHierarchy final : public cube::Hierarchy, public Recorded<cube::Hierarchy> {
  public:
    using Recorded::Recorded;
    void putName(std::string_view name) override {
        log("putName(" + jsonString(name) + ")");
        inner()->putName(name);
    }
    std::string getName() const override { return inner()->getName(); }
    cube::LevelRef levelAt(std::int32_t index) const override {
        auto level = recording().wrapped(inner()->levelAt(index));
        log("levelAt(" + std::to_string(index) + ") -> " + nameOf(level));
        return level;
    }
    cube::LevelRef levelNamed(std::string_view name) const override {
        auto level = recording().wrapped(inner()->levelNamed(name));
        log("levelNamed(" + jsonString(name) + ") -> " + nameOf(level));
        return level;
    }
    void addLevel(const cube::LevelRef& level) override {
        log("addLevel(" + nameOf(level) + ")");
        inner()->addLevel(innerOf<cube::Level>(level));
    }
    void removeLevel(const cube::LevelRef& level) override {
        log("removeLevel(" + nameOf(level) + ")");
        inner()->removeLevel(innerOf<cube::Level>(level));
    }
    void clear() override {
        log("clear()");
        inner()->clear();
    }
};

class RecordingFactory final : public cube::ObjectFactory {
  public:
    explicit RecordingFactory(Recording& recording) : recording_(recording) {}
    cube::HierarchyRef newHierarchy() override { return recording_.newHierarchy(); }
    cube::LevelRef newLevel() override { return recording_.newLevel(); }
    cube::AttributeDefRef newAttributeDef() override { return recording_.newAttributeDef(); }
    cube::MemberRef newMember() override { return recording_.newMember(); }

  private:
    Recording& recording_;
};

class RecordingDimension final : public cube::Dimension, public Recorded<cube::Dimension> {
  public:
    RecordingDimension(std::shared_ptr<cube::Dimension> inner, Recording& recording)
        : Recorded("Dimension", std::move(inner), recording), factory_(recording) {}
    std::int16_t hierarchyCount() const override {
        const std::int16_t count = inner()->hierarchyCount();
        log("hierarchyCount() -> " + std::to_string(count));
        return count;
    }
    cube::HierarchyRef hierarchy(std::int16_t index) const override {
        auto hierarchy = recording().wrapped(inner()->hierarchy(index));
        log("hierarchy(" + std::to_string(index) + ") -> " + nameOf(hierarchy));
        return hierarchy;
    }
    void addHierarchy(const cube::HierarchyRef& hierarchy) override {
        log("addHierarchy(" + nameOf(hierarchy) + ")");
        inner()->addHierarchy(innerOf<cube::Hierarchy>(hierarchy));
    }
    cube::ObjectFactory& objects() override { return factory_; }

  private:
    RecordingFactory factory_;
};

// The recording object of the list over inner (null when none is).
template <typename Interface>
std::shared_ptr<Interface> findWrapped(const std::vector<std::shared_ptr<Interface>>& made,
                                       const std::shared_ptr<Interface>& inner) {
    for (const auto& outer : made) {
        if (innerOf<Interface>(outer) == inner) {
            return outer;
        }
    }
    return nullptr;
}

}  // namespace

Recording::Recording()
    : inner_(std::make_shared<cube::MemoryDimension>("Time")),
      dimension_(std::make_shared<RecordingDimension>(inner_, *this)) {}

cube::HierarchyRef Recording::newHierarchy() {
    const std::string name = "Hierarchy" + std::to_string(hierarchies_.size() + 1);
    write("new " + name);
    hierarchies_.push_back(
        std::make_shared<RecordingHierarchy>(name, inner_->objects().newHierarchy(), *this));
    return hierarchies_.back();
}

cube::LevelRef Recording::newLevel() {
    const std::string name = "Level" + std::to_string(levels_.size() + 1);
    write("new " + name);
    levels_.push_back(std::make_shared<RecordingLevel>(name, inner_->objects().newLevel(), *this));
    return levels_.back();
}

cube::AttributeDefRef Recording::newAttributeDef() {
    const std::string name = "AttributeDef" + std::to_string(++attributeDefs_);
    write("new " + name);
    return std::make_shared<RecordingAttributeDef>(name, inner_->objects().newAttributeDef(),
                                                   *this);
}

cube::MemberRef Recording::newMember() {
    const std::string name = "Member" + std::to_string(++members_);
    write("new " + name);
    return std::make_shared<RecordingMember>(name, inner_->objects().newMember(), *this);
}

cube::HierarchyRef Recording::wrapped(const cube::HierarchyRef& inner) const {
    return inner ? findWrapped(hierarchies_, inner) : nullptr;
}

cube::LevelRef Recording::wrapped(const cube::LevelRef& inner) const {
    return inner ? findWrapped(levels_, inner) : nullptr;
}

}  // namespace annalex::testing
