#include "cube/memory_model.hpp"

#include <type_traits>
#include <typeinfo>
#include <unordered_map>

#include "common/failure.hpp"

namespace annalex::cube {
namespace {

[[noreturn]] void fail(ErrorNumber number, std::string description) {
    raise(number, std::move(description), kCubeSource);
}

template <typename T>
void requireObject(const T& reference, std::string_view what) {
    if (!reference) {
        fail(ErrorNumber::ObjectNotSet, std::string(what) + " is not set");
    }
}

// The in-memory object behind an interface reference; a reference to another model's object
// cannot be used with this one.
template <typename Concrete, typename Interface>
Concrete& concrete(const std::shared_ptr<Interface>& reference, std::string_view what) {
    requireObject(reference, what);
    // The concrete classes are final, so comparing the exact type is enough, and cheaper than a
    // dynamic_cast on a path taken for every member placed.
    static_assert(std::is_final_v<Concrete>);
    Interface& object = *reference;
    if (typeid(object) != typeid(Concrete)) {
        fail(ErrorNumber::InvalidProcedureCall,
             std::string(what) + " does not belong to the in-memory cube model");
    }
    return static_cast<Concrete&>(object);
}

}  // namespace

// ---- MemoryAttributeDef ----

void MemoryAttributeDef::putName(std::string_view key) {
    key_ = key;
    detail::definitionRenamings.fetch_add(1, std::memory_order_relaxed);
}

// ---- MemoryLevel ----

void MemoryLevel::addAttributeDef(const AttributeDefRef& definition) {
    concrete<MemoryAttributeDef>(definition, "Attribute definition");
    if (definitions_.size() >= 0xFFFF) {
        fail(ErrorNumber::Overflow, "Too many attribute definitions on level '" + name_ + "'");
    }
    definitions_.push_back(std::static_pointer_cast<MemoryAttributeDef>(definition));
}

void MemoryLevel::indexKeys() const {
    std::vector<KeyEntry> keys(definitions_.size());
    std::unordered_map<std::string_view, std::uint16_t> first;
    for (std::size_t i = 0; i < definitions_.size(); ++i) {
        const std::string_view key = definitions_[i]->key();
        keys[i] = {key, first.try_emplace(key, static_cast<std::uint16_t>(i)).first->second};
    }
    keys_.swap(keys);
    keysMadeAt_ = detail::definitionRenamings.load(std::memory_order_relaxed);
}

int MemoryLevel::lookUpKey(std::string_view key) const {
    const std::size_t count = definitions_.size();
    if (keys_.size() != count ||
        keysMadeAt_ != detail::definitionRenamings.load(std::memory_order_relaxed)) {
        indexKeys();
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (keys_[i].key == key) {
            lastFound_ = i;
            return keys_[i].firstOfKey;
        }
    }
    return -1;
}

MemberCollection MemoryLevel::findMembers(std::string_view name) const {
    if (store_ == nullptr) {
        return MemberCollection(0);  // a level outside a hierarchy has no members
    }
    return MemberCollection(store_->countNamed(position_, name));
}

void MemoryLevel::addRootMember(const MemberRef& member) {
    auto& newMember = concrete<MemoryMember>(member, "Member");
    if (store_ == nullptr) {
        fail(ErrorNumber::InvalidProcedureCall, "Level '" + name_ + "' is not in a hierarchy");
    }
    newMember.placeIn(store_->shared_from_this(), position_, kNoMember);
}

void MemoryLevel::attach(MemberStore* store, std::size_t position) {
    store_ = store;
    position_ = position;
}

// ---- MemoryHierarchy ----

MemoryHierarchy::MemoryHierarchy() : store_(std::make_shared<MemberStore>()) {}

LevelRef MemoryHierarchy::levelAt(std::int32_t index) const {
    if (index < 1 || static_cast<std::size_t>(index) > store_->levelCount()) {
        return nullptr;
    }
    return store_->level(static_cast<std::size_t>(index - 1));
}

LevelRef MemoryHierarchy::levelNamed(std::string_view name) const {
    for (std::size_t i = 0; i < store_->levelCount(); ++i) {
        if (store_->level(i)->name() == name) {
            return store_->level(i);
        }
    }
    return nullptr;
}

void MemoryHierarchy::addLevel(const LevelRef& level) {
    auto& added = concrete<MemoryLevel>(level, "Level");
    if (added.store() != nullptr) {
        fail(ErrorNumber::InvalidProcedureCall,
             "Level '" + added.name() + "' already belongs to a hierarchy");
    }
    if (store_->levelCount() >= 0xFFFF) {
        fail(ErrorNumber::Overflow, "Too many levels in hierarchy '" + name_ + "'");
    }
    store_->appendLevel(std::static_pointer_cast<MemoryLevel>(level));
}

void MemoryHierarchy::removeLevel(const LevelRef& level) {
    auto& removed = concrete<MemoryLevel>(level, "Level");
    if (removed.store() != store_.get()) {
        fail(ErrorNumber::InvalidProcedureCall,
             "Level '" + removed.name() + "' does not belong to hierarchy '" + name_ + "'");
    }
    store_->removeLevel(removed.position());
}

void MemoryHierarchy::clear() {
    store_->clear();
}

void MemoryHierarchy::walkPreOrder(
    const std::function<void(const MemberView&, int depth)>& visit) const {
    // Iterative depth-first walk: the stack holds the next sibling to visit at each depth.
    std::vector<std::uint32_t> stack;
    if (store_->firstRoot() != kNoMember) {
        stack.push_back(store_->firstRoot());
    }
    while (!stack.empty()) {
        const std::uint32_t id = stack.back();
        const MemberRecord& record = store_->member(id);
        visit(MemberView{id, &record}, static_cast<int>(stack.size()) - 1);
        stack.back() = record.nextSibling;
        if (record.firstChild != kNoMember) {
            stack.push_back(record.firstChild);
        }
        while (!stack.empty() && stack.back() == kNoMember) {
            stack.pop_back();
        }
    }
}

// ---- MemoryMember ----

void MemoryMember::removed() const {
    fail(ErrorNumber::ObjectNotSet, "Member '" + name_ + "' was removed from its hierarchy");
}

void MemoryMember::putName(std::string_view name) {
    if (store_) {
        store_->rename(liveId(), name);
    } else {
        name_.assign(name);
    }
}

std::string MemoryMember::getName() const {
    if (store_) {
        return std::string(store_->member(liveId()).name.view());
    }
    return name_;
}

void MemoryMember::putOrder(std::int32_t order) {
    if (store_) {
        store_->setOrder(liveId(), order);
    } else {
        order_ = order;
    }
}

void MemoryMember::putParent(const MemberRef& parent) {
    auto& up = concrete<MemoryMember>(parent, "Parent member");
    if (!up.placed()) {
        fail(ErrorNumber::InvalidProcedureCall,
             "Parent member '" + up.name_ + "' is not placed in a hierarchy");
    }
    const std::uint32_t parentId = up.liveId();
    const std::size_t childLevel = std::size_t{up.store_->member(parentId).level} + 1;
    if (childLevel >= up.store_->levelCount()) {
        fail(ErrorNumber::SubscriptOutOfRange,
             "No level below the level of parent member '" + up.getName() + "'");
    }
    placeIn(up.store_, childLevel, parentId);
}

void MemoryMember::placeIn(const std::shared_ptr<MemberStore>& store, std::size_t levelPosition,
                           std::uint32_t parent) {
    if (store_) {
        fail(ErrorNumber::InvalidProcedureCall, "Member '" + getName() + "' is already placed");
    }
    id_ = store->place(name_, order_, static_cast<std::uint16_t>(levelPosition), parent);
    name_.clear();
    store_ = store;
    epoch_ = store->epoch();
    level_ = store->level(levelPosition).get();
}

std::shared_ptr<MemoryMember> MemoryMember::placedAt(const std::shared_ptr<MemberStore>& store,
                                                     std::uint32_t id) {
    auto member = std::make_shared<MemoryMember>();
    member->store_ = store;
    member->id_ = id;
    member->epoch_ = store->epoch();
    member->level_ = store->level(store->member(id).level).get();
    return member;
}

void MemoryMember::setAttribute(std::string_view key, std::string_view value) {
    if (!store_) {
        cannotSet(key);
    }
    liveId();
    const int index = level_->attributeIndex(key);
    if (index < 0) {
        cannotSet(key);
    }
    store_->setAttribute(id_, static_cast<std::uint16_t>(index), value);
}

void MemoryMember::cannotSet(std::string_view key) const {
    if (!store_) {
        fail(ErrorNumber::InvalidProcedureCall, "Attribute '" + std::string(key) +
                                                    "' set on member '" + name_ +
                                                    "' before it was placed");
    }
    fail(ErrorNumber::InvalidProcedureCall,
         "Attribute '" + std::string(key) + "' is not defined on level '" + level_->name() + "'");
}

// ---- MemoryDimension ----

std::int16_t MemoryDimension::hierarchyCount() const {
    return static_cast<std::int16_t>(hierarchies_.size());
}

HierarchyRef MemoryDimension::hierarchy(std::int16_t index) const {
    if (index < 1 || static_cast<std::size_t>(index) > hierarchies_.size()) {
        fail(ErrorNumber::SubscriptOutOfRange,
             "Dimension '" + name_ + "' has no hierarchy " + std::to_string(index));
    }
    return hierarchies_[static_cast<std::size_t>(index - 1)];
}

void MemoryDimension::addHierarchy(const HierarchyRef& hierarchy) {
    concrete<MemoryHierarchy>(hierarchy, "Hierarchy");
    if (hierarchies_.size() >= 32767) {
        fail(ErrorNumber::Overflow, "Too many hierarchies in dimension '" + name_ + "'");
    }
    for (const auto& present : hierarchies_) {
        if (present == hierarchy) {
            fail(ErrorNumber::InvalidProcedureCall,
                 "Hierarchy is already in dimension '" + name_ + "'");
        }
    }
    hierarchies_.push_back(std::static_pointer_cast<MemoryHierarchy>(hierarchy));
}

// ---- MemoryCube ----

std::shared_ptr<MemoryDimension> MemoryCube::dimension(std::string_view name) const {
    for (const auto& dimension : dimensions_) {
        if (dimension->name() == name) {
            return dimension;
        }
    }
    return nullptr;
}

std::shared_ptr<MemoryDimension> MemoryCube::ensureDimension(std::string_view name) {
    if (auto present = dimension(name)) {
        return present;
    }
    dimensions_.push_back(std::make_shared<MemoryDimension>(std::string(name)));
    return dimensions_.back();
}

}  // namespace annalex::cube
