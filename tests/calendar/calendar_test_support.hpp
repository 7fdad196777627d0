#pragma once
// Drives a generation through the page and reads back the tree the in-memory model holds.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/page_doubles.hpp"

namespace annalex::testing {

// What a person chooses on the page before pressing OK.
struct Choice {
    int mask = 0;
    std::string startDay = "01", startMonth = "01", startYear = "01";
    std::string endDay = "31", endMonth = "12", endYear = "01";
    bool fiscal = false;
    std::int16_t dayFormat = 0;
    std::int16_t monthFormat = 0;
};

inline void choose(ControlHarness& harness, const Choice& choice) {
    harness.typeStart(choice.startDay, choice.startMonth, choice.startYear);
    harness.typeEnd(choice.endDay, choice.endMonth, choice.endYear);
    harness.tick(choice.mask);
    harness.ctrl.page().calendarType[choice.fiscal ? 1 : 0].click();
    harness.ctrl.page().cmbDay.select(choice.dayFormat);
    harness.ctrl.page().cmbMonth.select(choice.monthFormat);
}

inline void generate(ControlHarness& harness, const Choice& choice) {
    choose(harness, choice);
    harness.pressOk();
}

// One member as the model holds it.
struct Node {
    std::uint32_t id;
    std::string name;
    std::int32_t order;
    std::size_t level;
    std::string parent;  // empty for a top member
    int depth;           // number of ancestors
};

class Tree {
  public:
    explicit Tree(const cube::MemoryHierarchy& hierarchy) : hierarchy_(hierarchy) {
        hierarchy.walkPreOrder([&](const cube::MemberView& member, int depth) {
            Node node{
                member.id, std::string(member.name()), member.order(), member.levelPosition(), "",
                depth};
            if (member.parent() != cube::kNoMember) {
                node.parent = std::string(hierarchy.member(member.parent()).name());
            }
            nodes_.push_back(std::move(node));
        });
    }

    const std::vector<Node>& nodes() const { return nodes_; }

    // Names of the members under the parent of that name (top members for ""), in order.
    std::vector<std::string> childrenOf(const std::string& parent) const {
        std::vector<std::string> names;
        for (const Node& node : nodes_) {
            if (node.parent == parent) {
                names.push_back(node.name);
            }
        }
        return names;
    }
    std::vector<std::int32_t> ordersUnder(const std::string& parent) const {
        std::vector<std::int32_t> orders;
        for (const Node& node : nodes_) {
            if (node.parent == parent) {
                orders.push_back(node.order);
            }
        }
        return orders;
    }
    const Node* find(const std::string& name) const {
        for (const Node& node : nodes_) {
            if (node.name == name) {
                return &node;
            }
        }
        return nullptr;
    }
    std::size_t countAtLevel(std::size_t level) const {
        std::size_t count = 0;
        for (const Node& node : nodes_) {
            count += node.level == level ? 1 : 0;
        }
        return count;
    }
    // The attribute values of a member, by key.
    std::map<std::string, std::string> attributes(const std::string& name) const {
        std::map<std::string, std::string> values;
        if (const Node* node = find(name)) {
            hierarchy_.forEachAttribute(node->id, [&](std::string_view key, std::string_view v) {
                values.emplace(key, v);
            });
        }
        return values;
    }

  private:
    const cube::MemoryHierarchy& hierarchy_;
    std::vector<Node> nodes_;
};

inline std::vector<std::string> levelNames(const cube::MemoryHierarchy& hierarchy) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < hierarchy.levelCount(); ++i) {
        names.push_back(hierarchy.level(i).name());
    }
    return names;
}

// "prefix1" ... "prefixN" followed by suffix.
inline std::vector<std::string> numbered(const std::string& prefix, int from, int to,
                                         const std::string& suffix = "") {
    std::vector<std::string> names;
    for (int i = from; i <= to; ++i) {
        names.push_back(prefix + std::to_string(i) + suffix);
    }
    return names;
}

}  // namespace annalex::testing
