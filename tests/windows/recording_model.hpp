#pragma once
// A cube model that writes down every call made on it, one line each in order, and passes it on
// to an in-memory dimension. Objects are named by kind and creation number ("Member7"), so two
// runs that make the same calls give the same lines. The tests' cube recorder DLL serves it to
// annalex.dll through automation; a test drives the control directly over it for the lines the
// contract of the cube model expects.

#include <memory>
#include <string>
#include <vector>

#include "cube/memory_model.hpp"

namespace annalex::testing {

class Recording {
  public:
    Recording();

    // The dimension that records, over a fresh in-memory dimension named "Time".
    const cube::DimensionRef& dimension() const { return dimension_; }
    const std::shared_ptr<cube::MemoryDimension>& inner() const { return inner_; }
    const std::vector<std::string>& lines() const { return lines_; }

    // New objects, as the dimension's factory makes them (logged as "new Member7").
    cube::HierarchyRef newHierarchy();
    cube::LevelRef newLevel();
    cube::AttributeDefRef newAttributeDef();
    cube::MemberRef newMember();

    // For the recording objects: a call and what it answered.
    void write(std::string line) { lines_.push_back(std::move(line)); }
    // The recording object over an inner one the model handed back (null for none).
    cube::HierarchyRef wrapped(const cube::HierarchyRef& inner) const;
    cube::LevelRef wrapped(const cube::LevelRef& inner) const;

  private:
    std::shared_ptr<cube::MemoryDimension> inner_;
    cube::DimensionRef dimension_;
    std::vector<std::string> lines_;
    std::vector<cube::HierarchyRef> hierarchies_;  // every one made, in order
    std::vector<cube::LevelRef> levels_;
    int attributeDefs_ = 0;
    int members_ = 0;
};

}  // namespace annalex::testing
