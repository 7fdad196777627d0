#include "cube/memory_model.hpp"

#include <gtest/gtest.h>

#include "common/failure.hpp"
#include "support/time_model.hpp"

namespace annalex::cube {
namespace {

int failureNumber(auto&& call) {
    try {
        call();
    } catch (const Failure& failure) {
        return failure.number();
    }
    return 0;
}

constexpr int kObjectNotSet = static_cast<int>(ErrorNumber::ObjectNotSet);
constexpr int kInvalidCall = static_cast<int>(ErrorNumber::InvalidProcedureCall);
constexpr int kSubscript = static_cast<int>(ErrorNumber::SubscriptOutOfRange);

// The model as a calendar builds it, and its pre-order walk as "depth dots, name@level".
class ModelTest : public ::testing::Test, protected testing::TimeModel {
  protected:
    std::vector<std::string> walk() const {
        std::vector<std::string> seen;
        hierarchy->walkPreOrder([&](const MemberView& m, int depth) {
            seen.push_back(std::string(static_cast<std::size_t>(depth), '.') +
                           std::string(m.name()) + "@" + std::to_string(m.levelPosition()));
        });
        return seen;
    }
};

TEST_F(ModelTest, LevelsKeepTheirOrderAndAreFoundByPositionAndName) {
    auto year = addLevel("Year");
    auto month = addLevel("Month");
    EXPECT_EQ(hierarchy->levelAt(1), year);
    EXPECT_EQ(hierarchy->levelAt(2), month);
    EXPECT_EQ(hierarchy->levelAt(3), nullptr);
    EXPECT_EQ(hierarchy->levelAt(0), nullptr);
    EXPECT_EQ(hierarchy->levelNamed("Month"), month);
    EXPECT_EQ(hierarchy->levelNamed("Week"), nullptr);
    EXPECT_EQ(failureNumber([&] { hierarchy->addLevel(year); }), kInvalidCall);
    EXPECT_EQ(dimension->hierarchyCount(), 1);
    EXPECT_EQ(failureNumber([&] { dimension->hierarchy(2); }), kSubscript);
}

TEST_F(ModelTest, ChildrenBelongToTheLevelAfterTheirParentsAndTheWalkIsPreOrder) {
    auto year = addLevel("Year");
    addLevel("Month");
    auto day = addLevel("Day");
    auto y1 = root(year, "2001");
    auto jan = child(y1, "Jan");
    child(jan, "Jan_1");
    child(jan, "Jan_2");
    auto feb = child(y1, "Feb");
    child(feb, "Feb_1");
    auto y2 = root(year, "2002");
    child(y2, "Jan");
    EXPECT_EQ(walk(), (std::vector<std::string>{"2001@0", ".Jan@1", "..Jan_1@2", "..Jan_2@2",
                                                ".Feb@1", "..Feb_1@2", "2002@0", ".Jan@1"}));
    EXPECT_EQ(hierarchy->levelNamed("Month")->findMembers("Jan").Count(), 2);
    EXPECT_EQ(day->findMembers("Jan_1").Count(), 1);
    EXPECT_EQ(year->findMembers("Jan").Count(), 0);
    // A top member may be added to any level; it belongs to that level.
    root(day, "loose");
    EXPECT_EQ(day->findMembers("loose").Count(), 1);
}

TEST_F(ModelTest, FailingCallsRaiseCatalogueFailures) {
    auto year = addLevel("Year");
    auto y = root(year, "2001");
    EXPECT_EQ(failureNumber([&] { year->addRootMember(nullptr); }), kObjectNotSet);
    EXPECT_EQ(failureNumber([&] { y->putParent(nullptr); }), kObjectNotSet);
    EXPECT_EQ(failureNumber([&] { year->addRootMember(y); }), kInvalidCall);  // placed twice
    // No level below the last one.
    auto m = dimension->objects().newMember();
    EXPECT_EQ(failureNumber([&] { m->putParent(y); }), kSubscript);
    // A parent that is not placed yet.
    auto unplaced = dimension->objects().newMember();
    EXPECT_EQ(failureNumber([&] { m->putParent(unplaced); }), kInvalidCall);
    // A level that is not in a hierarchy takes no members.
    auto free = dimension->objects().newLevel();
    EXPECT_EQ(failureNumber([&] { free->addRootMember(m); }), kInvalidCall);
    EXPECT_EQ(failureNumber([&] { hierarchy->removeLevel(free); }), kInvalidCall);
    EXPECT_EQ(failureNumber([&] { hierarchy->removeLevel(nullptr); }), kObjectNotSet);
    EXPECT_EQ(failureNumber([&] { dimension->addHierarchy(nullptr); }), kObjectNotSet);
}

TEST_F(ModelTest, RemoveLevelTakesItsMembersAndTheirDescendants) {
    auto year = addLevel("Year", {"YearYearNo"});
    auto month = addLevel("Month");
    auto day = addLevel("Day");
    auto y = root(year, "2001");
    y->setAttribute("YearYearNo", "0");
    auto jan = child(y, "Jan");
    child(jan, "Jan_1");
    auto topMonth = root(month, "Top");
    child(topMonth, "Top_1");

    hierarchy->removeLevel(year);
    EXPECT_EQ(hierarchy->levelAt(1), month);
    EXPECT_EQ(hierarchy->levelAt(2), day);
    EXPECT_EQ(walk(), (std::vector<std::string>{"Top@0", ".Top_1@1"}));
    EXPECT_EQ(month->findMembers("Jan").Count(), 0);
    EXPECT_EQ(day->findMembers("Top_1").Count(), 1);
    EXPECT_EQ(year->findMembers("2001").Count(), 0);
    // Handles of members placed before the renumbering are retired, not silently wrong.
    EXPECT_EQ(failureNumber([&] { topMonth->putName("x"); }), kObjectNotSet);
    // The removed level can be added again, empty, at the end.
    hierarchy->addLevel(year);
    EXPECT_EQ(hierarchy->levelAt(3), year);
}

TEST_F(ModelTest, ClearRemovesEveryLevelAndMember) {
    auto year = addLevel("Year");
    addLevel("Month");
    root(year, "2001");
    hierarchy->clear();
    EXPECT_EQ(hierarchy->levelAt(1), nullptr);
    EXPECT_EQ(hierarchy->memberCount(), 0u);
    EXPECT_TRUE(walk().empty());
    // A run on the cleared hierarchy leaves the highest chosen kind at level 1.
    auto week = addLevel("Week");
    root(week, "W1");
    EXPECT_EQ(hierarchy->levelAt(1), week);
    EXPECT_EQ(week->findMembers("W1").Count(), 1);
}

}  // namespace
}  // namespace annalex::cube
