// Attribute values as the in-memory cube keeps them (by level and key, each text once), checked
// against a plain model of what was set: every read must show each member's values in the order
// they were first set, whatever the texts (runs, counts, many distinct ones, texts arriving out
// of order) and however the keys are set.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/failure.hpp"
#include "cube/memory_model.hpp"
#include "support/time_model.hpp"

namespace annalex::cube {
namespace {

using Values = testing::AttributeValues;
constexpr auto valuesOf = testing::attributeValuesOf;

// Sets value under key in the model: a new key goes last, a known one keeps its place.
void setIn(Values& model, const std::string& key, const std::string& value) {
    for (auto& [present, held] : model) {
        if (present == key) {
            held = value;
            return;
        }
    }
    model.emplace_back(key, value);
}

using Fixture = testing::TimeModel;

TEST(AttributeValues, AgreeWithAPlainModelWhateverTheTextsAndTheOrderOfKeys) {
    Fixture f;
    const std::vector<std::string> keys = {"Weekday", "Date", "Number", "Falling", "Note"};
    auto top = f.addLevel("", {"Name"});
    f.addLevel("", keys);
    std::mt19937 random(7);
    const std::vector<std::string> weekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
    // More distinct dates than two bytes can number, so that their column widens twice.
    constexpr int kMembers = 70000;
    auto parent = f.dimension->objects().newMember();
    top->addRootMember(parent);
    parent->setAttribute("Name", "all");
    std::vector<MemberRef> members;
    std::vector<Values> model(kMembers);
    for (int i = 0; i < kMembers; ++i) {
        auto member = f.dimension->objects().newMember();
        member->putParent(parent);
        members.push_back(member);
        // Most members set the keys in one order, some in another or leave some out.
        std::vector<std::size_t> order = {0, 1, 2, 3, 4};
        if (random() % 10 == 0) {
            std::shuffle(order.begin(), order.end(), random);
            order.resize(1 + random() % order.size());
        }
        for (const std::size_t k : order) {
            std::string value;
            switch (k) {
                case 0:
                    value = weekdays[static_cast<std::size_t>(i) % 7];  // counting, wrapping
                    break;
                case 1:
                    value = "D" + std::to_string(1000000 + i / 2);  // ascending, in pairs
                    break;
                case 2:
                    value = std::to_string(random() % 400);  // a few hundred, at random
                    break;
                case 3:
                    value = "F" + std::to_string(9000000 - i);  // each new one sorts first
                    break;
                default:
                    value = random() % 3 == 0 ? std::string(300, 'x') + std::to_string(i % 5)
                                              : std::string();
            }
            member->setAttribute(keys[k], value);
            setIn(model[static_cast<std::size_t>(i)], keys[k], value);
        }
    }
    // Values set again replace the old ones in place, also on early members.
    for (int i = 0; i < kMembers; i += 97) {
        const std::string& key = keys[static_cast<std::size_t>(i) % keys.size()];
        members[static_cast<std::size_t>(i)]->setAttribute(key, "again " + std::to_string(i));
        setIn(model[static_cast<std::size_t>(i)], key, "again " + std::to_string(i));
    }

    EXPECT_EQ(valuesOf(*f.hierarchy, 0), (Values{{"Name", "all"}}));
    for (int i = 0; i < kMembers; ++i) {
        ASSERT_EQ(valuesOf(*f.hierarchy, static_cast<std::uint32_t>(i + 1)),
                  model[static_cast<std::size_t>(i)])
            << "member " << i;
    }

    // Removing the top level renumbers the members that stay: a top member of the lower level
    // keeps its values.
    auto lower = f.hierarchy->levelAt(2);
    auto loose = f.dimension->objects().newMember();
    lower->addRootMember(loose);
    loose->setAttribute("Note", "kept");
    loose->setAttribute("Weekday", "Friday");
    f.hierarchy->removeLevel(top);
    ASSERT_EQ(f.hierarchy->memberCount(), 1u);
    EXPECT_EQ(valuesOf(*f.hierarchy, 0), (Values{{"Note", "kept"}, {"Weekday", "Friday"}}));
}

TEST(AttributeValues, HandlesToOneMemberSeeEachOthersValues) {
    Fixture f;
    auto level = f.addLevel("", {"A", "B", "C"});
    auto placed = f.dimension->objects().newMember();
    level->addRootMember(placed);
    // A second handle made before the member has values, a third after the first value.
    auto second = MemoryMember::placedAt(f.hierarchy->store(), 0);
    placed->setAttribute("A", "a");
    auto third = MemoryMember::placedAt(f.hierarchy->store(), 0);
    second->setAttribute("B", "b");
    third->setAttribute("C", "c");
    placed->setAttribute("B", "b2");
    EXPECT_EQ(valuesOf(*f.hierarchy, 0), (Values{{"A", "a"}, {"B", "b2"}, {"C", "c"}}));
}

TEST(AttributeValues, AKeyNamesItsFirstDefinitionAlsoAfterRenaming) {
    Fixture f;
    auto level = f.addLevel("", {"A", "B", "A"});
    auto member = f.dimension->objects().newMember();
    level->addRootMember(member);
    member->setAttribute("B", "b");
    member->setAttribute("A", "a");
    member->setAttribute("A", "a2");
    EXPECT_EQ(valuesOf(*f.hierarchy, 0), (Values{{"B", "b"}, {"A", "a2"}}));

    // The first "A" renamed: the key now names the third definition, and "A1" the first.
    f.hierarchy->level(0).attributeDefs()[0]->putName("A1");
    member->setAttribute("A", "third");
    member->setAttribute("A1", "first");
    EXPECT_EQ(valuesOf(*f.hierarchy, 0), (Values{{"B", "b"}, {"A1", "first"}, {"A", "third"}}));
    // A key no definition has, and a member not placed on a level, take no value.
    auto loose = f.dimension->objects().newMember();
    for (const auto& [target, key] : {std::pair{member, "C"}, std::pair{loose, "A"}}) {
        try {
            target->setAttribute(key, "c");
            ADD_FAILURE() << key << " was taken";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.number(), static_cast<int>(ErrorNumber::InvalidProcedureCall));
        }
    }
}

}  // namespace
}  // namespace annalex::cube
