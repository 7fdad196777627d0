#pragma once
// The cube model as the calendar control sees it: the object kinds and the operations it calls,
// nothing more. The host owns the Cube and the Dimension it hands to the control; the control
// creates Hierarchy, Level, AttributeDef and Member objects through the dimension's factory and
// places them with the operations below.
//
// Objects are shared references (like the component objects they stand in for): a null
// reference means "none". Every failing call raises an annalex::Failure from the catalogue:
// ObjectNotSet for an operation on nothing, SubscriptOutOfRange for a hierarchy or level that
// does not exist where one is required, InvalidProcedureCall for a misuse such as placing a
// member twice or adding a level that already belongs to a hierarchy.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace annalex::cube {

class Cube;
class Dimension;
class Hierarchy;
class Level;
class AttributeDef;
class Member;
class ObjectFactory;

using CubeRef = std::shared_ptr<Cube>;
using DimensionRef = std::shared_ptr<Dimension>;
using HierarchyRef = std::shared_ptr<Hierarchy>;
using LevelRef = std::shared_ptr<Level>;
using AttributeDefRef = std::shared_ptr<AttributeDef>;
using MemberRef = std::shared_ptr<Member>;

// Level type codes of the time levels.
inline constexpr std::int32_t kLevelTypeYears = 0x14;
inline constexpr std::int32_t kLevelTypeQuarters = 0x44;
inline constexpr std::int32_t kLevelTypeMonths = 0x84;
inline constexpr std::int32_t kLevelTypeWeeks = 0x104;
inline constexpr std::int32_t kLevelTypeDays = 0x204;

// What findMembers answers: how many members of a level carry a name.
class MemberCollection {
  public:
    explicit MemberCollection(std::int32_t count) : count_(count) {}
    std::int32_t Count() const { return count_; }

  private:
    std::int32_t count_;
};

// A cube is only held and handed back by the control.
class Cube {
  public:
    virtual ~Cube() = default;
};

class Dimension {
  public:
    virtual ~Dimension() = default;
    // Number of hierarchies; 0 when there is none yet.
    virtual std::int16_t hierarchyCount() const = 0;
    // Hierarchy at a 1-based index; SubscriptOutOfRange when there is no such hierarchy.
    virtual HierarchyRef hierarchy(std::int16_t index) const = 0;
    // Appends a new hierarchy (the first one added becomes hierarchy(1)).
    virtual void addHierarchy(const HierarchyRef& hierarchy) = 0;
    // Creates new, unplaced objects of this model.
    virtual ObjectFactory& objects() = 0;
};

class ObjectFactory {
  public:
    virtual ~ObjectFactory() = default;
    virtual HierarchyRef newHierarchy() = 0;
    virtual LevelRef newLevel() = 0;
    virtual AttributeDefRef newAttributeDef() = 0;
    virtual MemberRef newMember() = 0;
};

class Hierarchy {
  public:
    virtual ~Hierarchy() = default;
    virtual void putName(std::string_view name) = 0;
    virtual std::string getName() const = 0;
    // Level at a 1-based position in addLevel order; none (nullptr) when there is none.
    virtual LevelRef levelAt(std::int32_t index) const = 0;
    // Level of that name; none when there is none.
    virtual LevelRef levelNamed(std::string_view name) const = 0;
    // Appends a new level after those present.
    virtual void addLevel(const LevelRef& level) = 0;
    // Removes a level of this hierarchy with its members and everything below them.
    virtual void removeLevel(const LevelRef& level) = 0;
    // Removes every level and member.
    virtual void clear() = 0;
};

class Level {
  public:
    virtual ~Level() = default;
    virtual void putName(std::string_view name) = 0;
    virtual std::string getName() const = 0;
    virtual void putLevelType(std::int32_t code) = 0;
    virtual std::int32_t getLevelType() const = 0;
    // Definitions are kept in the order added.
    virtual void addAttributeDef(const AttributeDefRef& definition) = 0;
    // Members of this level that carry name, under their current names.
    virtual MemberCollection findMembers(std::string_view name) const = 0;
    // Places a new member as a top member of this level.
    virtual void addRootMember(const MemberRef& member) = 0;
};

class AttributeDef {
  public:
    virtual ~AttributeDef() = default;
    virtual void putName(std::string_view key) = 0;
    virtual std::string getName() const = 0;
    virtual void putCaption(std::string_view caption) = 0;
    virtual std::string getCaption() const = 0;
};

class Member {
  public:
    virtual ~Member() = default;
    virtual void putName(std::string_view name) = 0;
    virtual std::string getName() const = 0;
    virtual void putOrder(std::int32_t order) = 0;
    // Places the member as a child of parent, on the level after the parent's level.
    virtual void putParent(const MemberRef& parent) = 0;
    // Stores value under key; the key must be defined on the member's level, and the member
    // must be placed.
    virtual void setAttribute(std::string_view key, std::string_view value) = 0;
};

}  // namespace annalex::cube
