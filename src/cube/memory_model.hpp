#pragma once
// The in-memory cube model: the implementation behind the cube model interface that the
// command line, the desktop host, the cube store and the tests use.
//
// A cube holds named dimensions; a dimension holds hierarchies; a hierarchy keeps its levels
// and all their members in one MemberStore. A top member belongs to the level it was added to;
// a child belongs to the level after its parent's. findMembers is a hash lookup on the level's
// current member names. Besides the interface the control uses, the concrete classes offer a
// read side (levels, members, attribute values, a pre-order walk) for exports and the store.

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cube/cube_model.hpp"
#include "cube/member_store.hpp"

namespace annalex::cube {

inline constexpr std::string_view kCubeSource = "Annalex.Cube";

namespace detail {

// Counts the renamings of attribute definitions anywhere, from 1: a level's key lookup made at
// another count may be out of date.
inline std::atomic<std::uint64_t> definitionRenamings{1};

// Whether two keys are the same text, a word at a time: keys are short, and one is compared for
// every value set.
inline bool sameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    if (a.size() < 8) {
        return a == b;
    }
    const auto word = [](const char* at) {
        std::uint64_t value;
        std::memcpy(&value, at, sizeof value);
        return value;
    };
    for (std::size_t at = 0; at + 8 < a.size(); at += 8) {
        if (word(a.data() + at) != word(b.data() + at)) {
            return false;
        }
    }
    return word(a.data() + a.size() - 8) == word(b.data() + b.size() - 8);
}

}  // namespace detail

class MemoryAttributeDef final : public AttributeDef {
  public:
    void putName(std::string_view key) override;
    std::string getName() const override { return key_; }
    void putCaption(std::string_view caption) override { caption_ = caption; }
    std::string getCaption() const override { return caption_; }

    const std::string& key() const { return key_; }
    const std::string& caption() const { return caption_; }

  private:
    std::string key_;
    std::string caption_;
};

class MemoryLevel final : public Level {
  public:
    void putName(std::string_view name) override { name_ = name; }
    std::string getName() const override { return name_; }
    void putLevelType(std::int32_t code) override { type_ = code; }
    std::int32_t getLevelType() const override { return type_; }
    void addAttributeDef(const AttributeDefRef& definition) override;
    MemberCollection findMembers(std::string_view name) const override;
    void addRootMember(const MemberRef& member) override;

    const std::string& name() const { return name_; }
    std::int32_t type() const { return type_; }
    const std::vector<std::shared_ptr<MemoryAttributeDef>>& attributeDefs() const {
        return definitions_;
    }
    // Position of the first definition with that key, or -1.
    int attributeIndex(std::string_view key) const {
        // Values are set in the order of the definitions, so the one after the definition
        // found last is tried first.
        const std::size_t next = lastFound_ + 1;
        if (next < keys_.size() && keys_.size() == definitions_.size() &&
            keysMadeAt_ == detail::definitionRenamings.load(std::memory_order_relaxed) &&
            detail::sameKey(keys_[next].key, key)) {
            lastFound_ = next;
            return keys_[next].firstOfKey;
        }
        return lookUpKey(key);
    }

    // Called by the store that holds the level.
    void attach(MemberStore* store, std::size_t position);
    void detach() { store_ = nullptr; }
    MemberStore* store() const { return store_; }
    std::size_t position() const { return position_; }

  private:
    void indexKeys() const;
    int lookUpKey(std::string_view key) const;

    std::string name_;
    std::int32_t type_ = 0;
    std::vector<std::shared_ptr<MemoryAttributeDef>> definitions_;
    MemberStore* store_ = nullptr;
    std::size_t position_ = 0;
    // attributeIndex's lookup, asked for every value set: the definitions' keys side by side
    // and, per definition, the position of the first definition of its key, made again after
    // a definition was added or any renamed; and the definition found last, whose successor is
    // usually asked for next.
    struct KeyEntry {
        std::string_view key;  // into the definition's own text
        std::uint16_t firstOfKey;
    };
    mutable std::vector<KeyEntry> keys_;
    mutable std::uint64_t keysMadeAt_ = 0;
    mutable std::size_t lastFound_ = 0;
};

// What a walk or a lookup shows of one member.
struct MemberView {
    std::uint32_t id;
    const MemberRecord* record;
    std::string_view name() const { return record->name.view(); }
    std::int32_t order() const { return record->order; }
    std::uint32_t parent() const { return record->parent; }
    std::size_t levelPosition() const { return record->level; }
};

class MemoryHierarchy final : public Hierarchy {
  public:
    MemoryHierarchy();

    void putName(std::string_view name) override { name_ = name; }
    std::string getName() const override { return name_; }
    LevelRef levelAt(std::int32_t index) const override;
    LevelRef levelNamed(std::string_view name) const override;
    void addLevel(const LevelRef& level) override;
    void removeLevel(const LevelRef& level) override;
    void clear() override;

    // Read side.
    const std::string& name() const { return name_; }
    std::size_t levelCount() const { return store_->levelCount(); }
    const MemoryLevel& level(std::size_t position) const { return *store_->level(position); }
    std::size_t memberCount() const { return store_->memberCount(); }
    MemberView member(std::uint32_t id) const { return {id, &store_->member(id)}; }
    // Calls visit(key, value) for each attribute value of a member, in the order first set.
    void forEachAttribute(
        std::uint32_t id,
        const std::function<void(std::string_view, std::string_view)>& visit) const {
        visitAttributes(id, visit);
    }
    template <typename Visit>
    void visitAttributes(std::uint32_t id, Visit&& visit) const {
        const MemberRecord& record = store_->member(id);
        if (record.attributeRow == kNoRow) {
            return;
        }
        const LevelAttributes& values = store_->levelAttributes(record.level);
        const auto& definitions = store_->level(record.level)->attributeDefs();
        for (const std::uint16_t key : values.keysOf(record.attributeRow)) {
            visit(std::string_view(definitions[key]->key()),
                  values.value(record.attributeRow, key));
        }
    }
    // Calls visit(position, value) for each attribute value of a member, in the order first
    // set; position is that of the value's definition on the member's level.
    template <typename Visit>
    void visitAttributeValues(std::uint32_t id, Visit&& visit) const {
        const MemberRecord& record = store_->member(id);
        if (record.attributeRow == kNoRow) {
            return;
        }
        const LevelAttributes& values = store_->levelAttributes(record.level);
        for (const std::uint16_t key : values.keysOf(record.attributeRow)) {
            visit(key, values.value(record.attributeRow, key));
        }
    }
    bool hasAttributes(std::uint32_t id) const { return store_->member(id).attributeRow != kNoRow; }
    // Visits every member parent first, children in placement order, top members in
    // placement order; depth is 0 for top members.
    void walkPreOrder(const std::function<void(const MemberView&, int depth)>& visit) const;

    const std::shared_ptr<MemberStore>& store() const { return store_; }

  private:
    std::string name_;
    std::shared_ptr<MemberStore> store_;
};

class MemoryMember final : public Member {
  public:
    void putName(std::string_view name) override;
    std::string getName() const override;
    void putOrder(std::int32_t order) override;
    void putParent(const MemberRef& parent) override;
    void setAttribute(std::string_view key, std::string_view value) override;

    bool placed() const { return store_ != nullptr; }
    // Whether the member is placed and still in its store.
    bool live() const { return store_ != nullptr && store_->epoch() == epoch_; }
    // For hosts that walk the placed members (the Windows automation objects): the store of a
    // placed member (null before) and its id there (ObjectNotSet once removed from it), and a
    // handle to a member already in a store.
    const std::shared_ptr<MemberStore>& placedStore() const { return store_; }
    std::uint32_t placedId() const { return liveId(); }
    static std::shared_ptr<MemoryMember> placedAt(const std::shared_ptr<MemberStore>& store,
                                                  std::uint32_t id);
    // Places this member on level position of store, under parent (kNoMember for a top member).
    void placeIn(const std::shared_ptr<MemberStore>& store, std::size_t levelPosition,
                 std::uint32_t parent);

  private:
    // The id of a placed member whose store has not been renumbered since; ObjectNotSet when
    // the member was removed by removeLevel or clear.
    std::uint32_t liveId() const {
        if (store_->epoch() != epoch_) {
            removed();
        }
        return id_;
    }
    [[noreturn]] void removed() const;
    [[noreturn]] void cannotSet(std::string_view key) const;

    std::string name_;  // until placed
    std::int32_t order_ = 0;
    std::shared_ptr<MemberStore> store_;
    std::uint32_t id_ = kNoMember;
    std::uint64_t epoch_ = 0;
    // Once placed, while the epoch holds: the member's level, which every value set asks for
    // its key. (Its row of values is read from the store each time: other handles to the same
    // member may set values too.)
    const MemoryLevel* level_ = nullptr;
};

class MemoryObjectFactory final : public ObjectFactory {
  public:
    HierarchyRef newHierarchy() override { return std::make_shared<MemoryHierarchy>(); }
    LevelRef newLevel() override { return std::make_shared<MemoryLevel>(); }
    AttributeDefRef newAttributeDef() override { return std::make_shared<MemoryAttributeDef>(); }
    MemberRef newMember() override { return std::make_shared<MemoryMember>(); }
};

class MemoryDimension final : public Dimension {
  public:
    explicit MemoryDimension(std::string name) : name_(std::move(name)) {}

    std::int16_t hierarchyCount() const override;
    HierarchyRef hierarchy(std::int16_t index) const override;
    void addHierarchy(const HierarchyRef& hierarchy) override;
    ObjectFactory& objects() override { return factory_; }

    const std::string& name() const { return name_; }
    // The hierarchies as the in-memory type, for the read side.
    const std::vector<std::shared_ptr<MemoryHierarchy>>& hierarchies() const {
        return hierarchies_;
    }

  private:
    std::string name_;
    std::vector<std::shared_ptr<MemoryHierarchy>> hierarchies_;
    MemoryObjectFactory factory_;
};

class MemoryCube final : public Cube {
  public:
    // The dimension of that name, or none.
    std::shared_ptr<MemoryDimension> dimension(std::string_view name) const;
    // The dimension of that name, created (appended) when missing.
    std::shared_ptr<MemoryDimension> ensureDimension(std::string_view name);
    const std::vector<std::shared_ptr<MemoryDimension>>& dimensions() const { return dimensions_; }

  private:
    std::vector<std::shared_ptr<MemoryDimension>> dimensions_;
};

}  // namespace annalex::cube
