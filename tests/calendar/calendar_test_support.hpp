#pragma once
// Drives a generation through the page and reads back the tree the in-memory model holds.

#include <cstdint>
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

inline void generate(ControlHarness& harness, const Choice& choice) {
    harness.typeStart(choice.startDay, choice.startMonth, choice.startYear);
    harness.typeEnd(choice.endDay, choice.endMonth, choice.endYear);
    harness.tick(choice.mask);
    harness.ctrl.page().calendarType[choice.fiscal ? 1 : 0].click();
    harness.ctrl.page().cmbDay.select(choice.dayFormat);
    harness.ctrl.page().cmbMonth.select(choice.monthFormat);
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
    explicit Tree(const cube::MemoryHierarchy& hierarchy) {
        hierarchy.walkPreOrder([&](const cube::MemberView& member, int depth) {
            const std::string parent = member.parent() == cube::kNoMember
                                           ? std::string()
                                           : std::string(hierarchy.member(member.parent()).name());
            nodes_.push_back({member.id, std::string(member.name()), member.order(),
                              member.levelPosition(), parent, depth});
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

  private:
    std::vector<Node> nodes_;
};

inline std::vector<std::string> levelNames(const cube::MemoryHierarchy& hierarchy) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < hierarchy.levelCount(); ++i) {
        names.push_back(hierarchy.level(i).name());
    }
    return names;
}

// "prefix1" ... "prefixN".
inline std::vector<std::string> numbered(const std::string& prefix, int from, int to) {
    std::vector<std::string> names;
    for (int i = from; i <= to; ++i) {
        names.push_back(prefix + std::to_string(i));
    }
    return names;
}

}  // namespace annalex::testing
