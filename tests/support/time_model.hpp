#pragma once
// An in-memory cube with a "Time" dimension and one hierarchy, built up level by level and
// member by member the way a calendar builder does it.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cube/memory_model.hpp"

namespace annalex::testing {

// A member's attribute values as (key, value) pairs, in the order the member has them.
using AttributeValues = std::vector<std::pair<std::string, std::string>>;

inline AttributeValues attributeValuesOf(const cube::MemoryHierarchy& hierarchy, std::uint32_t id) {
    AttributeValues values;
    hierarchy.forEachAttribute(
        id, [&](std::string_view key, std::string_view value) { values.emplace_back(key, value); });
    return values;
}

struct TimeModel {
    std::shared_ptr<cube::MemoryCube> cube = std::make_shared<cube::MemoryCube>();
    std::shared_ptr<cube::MemoryDimension> dimension = cube->ensureDimension("Time");
    std::shared_ptr<cube::MemoryHierarchy> hierarchy;

    TimeModel() {
        auto made = dimension->objects().newHierarchy();
        made->putName("Period");
        dimension->addHierarchy(made);
        hierarchy = std::static_pointer_cast<cube::MemoryHierarchy>(made);
    }

    // A level added below the others, defining the given attribute keys.
    cube::LevelRef addLevel(std::string_view name = {}, const std::vector<std::string>& keys = {}) {
        auto level = dimension->objects().newLevel();
        level->putName(name);
        for (const std::string& key : keys) {
            auto definition = dimension->objects().newAttributeDef();
            definition->putName(key);
            level->addAttributeDef(definition);
        }
        hierarchy->addLevel(level);
        return level;
    }

    cube::MemberRef member(std::string_view name, std::int32_t order = 0) {
        auto made = dimension->objects().newMember();
        made->putName(name);
        made->putOrder(order);
        return made;
    }
    cube::MemberRef root(const cube::LevelRef& level, std::string_view name,
                         std::int32_t order = 0) {
        auto made = member(name, order);
        level->addRootMember(made);
        return made;
    }
    cube::MemberRef child(const cube::MemberRef& parent, std::string_view name,
                          std::int32_t order = 0) {
        auto made = member(name, order);
        made->putParent(parent);
        return made;
    }
};

}  // namespace annalex::testing
