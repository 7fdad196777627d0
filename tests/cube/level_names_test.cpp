#include "cube/level_names.hpp"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "cube/member_name.hpp"
#include "cube/memory_model.hpp"
#include "support/time_model.hpp"

namespace annalex::cube {
namespace {

// Every length from empty to well past the inline limit, assigned over names of every other
// length, so each move between inline and heap storage is taken.
TEST(MemberName, KeepsEveryLengthAcrossReassignment) {
    auto text = [](std::size_t length) {
        std::string made;
        for (std::size_t i = 0; i < length; ++i) {
            made.push_back(static_cast<char>('a' + (i * 7 + length) % 26));
        }
        return made;
    };
    for (std::size_t first = 0; first <= 40; ++first) {
        MemberName name;
        EXPECT_EQ(name.view(), "");
        name.assign(text(first));
        for (std::size_t second = 0; second <= 40; second += 3) {
            MemberName other;
            other.assign(text(second));
            name.swap(other);
            ASSERT_EQ(name.view(), text(second)) << first << " then " << second;
            ASSERT_EQ(other.view(), text(first));
            name = std::move(other);
            ASSERT_EQ(name.view(), text(first));
        }
    }
}

// A two-level hierarchy under random placements and renames, asked about names the way a
// calendar asks (a few names, again and again) and then about many different names, which
// moves each level from counting watched names to its full index. Every answer is checked
// against a plain count per level.
TEST(LevelNames, CountsAgreeWithAModelWhileWatchingAndAfterIndexingAll) {
    testing::TimeModel built;
    std::vector<LevelRef> levels{built.addLevel(), built.addLevel()};

    std::mt19937 random(11);
    std::vector<std::map<std::string, int>> model(2);
    struct Placed {
        MemberRef member;
        std::size_t level;
        std::string name;
    };
    std::vector<Placed> placed;
    std::vector<MemberRef> parents;
    // Short names collide often; long ones (past the inline limit) now and then.
    auto pick = [&](int pool) {
        const auto n = random() % static_cast<unsigned>(pool);
        return n % 5 == 0 ? "a long member name number " + std::to_string(n) : std::to_string(n);
    };
    auto place = [&](std::size_t level, const std::string& name) {
        const bool top = level == 0 || parents.empty();
        auto member = top ? built.root(levels[0], name)
                          : built.child(parents[random() % parents.size()], name);
        if (top) {
            level = 0;
            parents.push_back(member);
        }
        ++model[level][name];
        placed.push_back({member, level, name});
    };
    auto rename = [&] {
        Placed& target = placed[random() % placed.size()];
        const std::string name = pick(400);
        --model[target.level][target.name];
        target.member->putName(name);
        target.name = name;
        ++model[target.level][name];
    };
    auto check = [&](const std::string& name, int step) {
        for (std::size_t level = 0; level < 2; ++level) {
            ASSERT_EQ(levels[level]->findMembers(name).Count(), model[level][name])
                << "'" << name << "' on level " << level << " at step " << step;
        }
    };

    for (int step = 0; step < 30000; ++step) {
        const int phase = step < 15000 ? 0 : 1;
        place(random() % 8 == 0 ? 0 : 1, pick(400));
        if (random() % 4 == 0) {
            rename();
        }
        // First a handful of names asked about over and over, then many different ones.
        check(phase == 0 ? std::to_string(random() % 12) : pick(400), step);
    }
    for (int n = 0; n < 400; ++n) {
        check(std::to_string(n), -1);
        check("a long member name number " + std::to_string(n), -1);
    }
}

// A name first asked about when many members already carry it is counted by a scan, and the
// count then follows placements and renames on that level only.
TEST(LevelNames, ANameAskedLateCountsMembersPlacedBefore) {
    testing::TimeModel model;
    auto top = model.addLevel();
    auto bottom = model.addLevel();
    auto parent = model.root(top, "same");
    std::vector<MemberRef> children;
    for (int i = 0; i < 1000; ++i) {
        children.push_back(model.child(parent, i % 2 == 0 ? "same" : "other"));
    }
    EXPECT_EQ(bottom->findMembers("same").Count(), 500);
    EXPECT_EQ(top->findMembers("same").Count(), 1);
    children[1]->putName("same");
    children[0]->putName("moved");
    parent->putName("moved");
    EXPECT_EQ(bottom->findMembers("same").Count(), 500);
    EXPECT_EQ(bottom->findMembers("moved").Count(), 1);
    EXPECT_EQ(top->findMembers("same").Count(), 0);
    EXPECT_EQ(top->findMembers("moved").Count(), 1);
}

}  // namespace
}  // namespace annalex::cube
