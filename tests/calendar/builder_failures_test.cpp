// A failing cube call inside a builder ends that builder only.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "calendar_test_support.hpp"
#include "common/failure.hpp"

namespace annalex::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// ---- a cube model that refuses one call for one member name ----

struct Fault {
    enum class Call { SetAttribute, PutParent };
    Call call;
    std::string memberName;
};

[[noreturn]] void refuse() {
    throw Failure(5, "Refused by the model", "FaultyModel", 1234);
}

class FaultyMember final : public cube::Member {
  public:
    FaultyMember(cube::MemberRef wrapped, const Fault& fault)
        : inner(std::move(wrapped)), fault_(fault) {}

    static cube::MemberRef unwrap(const cube::MemberRef& member) {
        auto* faulty = dynamic_cast<FaultyMember*>(member.get());
        return faulty != nullptr ? faulty->inner : member;
    }

    void putName(std::string_view name) override { inner->putName(name); }
    std::string getName() const override { return inner->getName(); }
    void putOrder(std::int32_t order) override { inner->putOrder(order); }
    void putParent(const cube::MemberRef& parent) override {
        if (fault_.call == Fault::Call::PutParent && getName() == fault_.memberName) {
            refuse();
        }
        inner->putParent(unwrap(parent));
    }
    void setAttribute(std::string_view key, std::string_view value) override {
        if (fault_.call == Fault::Call::SetAttribute && getName() == fault_.memberName) {
            refuse();
        }
        inner->setAttribute(key, value);
    }

    cube::MemberRef inner;

  private:
    const Fault& fault_;
};

class FaultyLevel final : public cube::Level {
  public:
    explicit FaultyLevel(cube::LevelRef wrapped) : inner(std::move(wrapped)) {}
    static cube::LevelRef wrap(cube::LevelRef level) {
        return level ? std::make_shared<FaultyLevel>(std::move(level)) : nullptr;
    }
    static cube::LevelRef unwrap(const cube::LevelRef& level) {
        auto* faulty = dynamic_cast<FaultyLevel*>(level.get());
        return faulty != nullptr ? faulty->inner : level;
    }

    void putName(std::string_view name) override { inner->putName(name); }
    std::string getName() const override { return inner->getName(); }
    void putLevelType(std::int32_t code) override { inner->putLevelType(code); }
    std::int32_t getLevelType() const override { return inner->getLevelType(); }
    void addAttributeDef(const cube::AttributeDefRef& d) override { inner->addAttributeDef(d); }
    cube::MemberCollection findMembers(std::string_view name) const override {
        return inner->findMembers(name);
    }
    void addRootMember(const cube::MemberRef& member) override {
        inner->addRootMember(FaultyMember::unwrap(member));
    }

    cube::LevelRef inner;
};

class FaultyHierarchy final : public cube::Hierarchy {
  public:
    explicit FaultyHierarchy(cube::HierarchyRef inner) : inner_(std::move(inner)) {}

    void putName(std::string_view name) override { inner_->putName(name); }
    std::string getName() const override { return inner_->getName(); }
    cube::LevelRef levelAt(std::int32_t index) const override {
        return FaultyLevel::wrap(inner_->levelAt(index));
    }
    cube::LevelRef levelNamed(std::string_view name) const override {
        return FaultyLevel::wrap(inner_->levelNamed(name));
    }
    void addLevel(const cube::LevelRef& level) override {
        inner_->addLevel(FaultyLevel::unwrap(level));
    }
    void removeLevel(const cube::LevelRef& level) override {
        inner_->removeLevel(FaultyLevel::unwrap(level));
    }
    void clear() override { inner_->clear(); }

  private:
    cube::HierarchyRef inner_;
};

class FaultyDimension final : public cube::Dimension, private cube::ObjectFactory {
  public:
    FaultyDimension(std::shared_ptr<cube::MemoryDimension> inner, Fault fault)
        : inner_(std::move(inner)), fault_(std::move(fault)) {}

    std::int16_t hierarchyCount() const override { return inner_->hierarchyCount(); }
    cube::HierarchyRef hierarchy(std::int16_t index) const override {
        return std::make_shared<FaultyHierarchy>(inner_->hierarchy(index));
    }
    void addHierarchy(const cube::HierarchyRef& hierarchy) override {
        inner_->addHierarchy(hierarchy);
    }
    cube::ObjectFactory& objects() override { return *this; }

  private:
    cube::HierarchyRef newHierarchy() override { return inner_->objects().newHierarchy(); }
    cube::LevelRef newLevel() override { return inner_->objects().newLevel(); }
    cube::AttributeDefRef newAttributeDef() override { return inner_->objects().newAttributeDef(); }
    cube::MemberRef newMember() override {
        return std::make_shared<FaultyMember>(inner_->objects().newMember(), fault_);
    }

    std::shared_ptr<cube::MemoryDimension> inner_;
    Fault fault_;
};

void expectOneReport(const ControlHarness& harness, const std::string& procedure) {
    ASSERT_EQ(harness.reporter.reports().size(), 1u);
    const errors::FailureReport& report = harness.reporter.reports().front();
    EXPECT_EQ(report.errModName, "AnnalexCtrl");
    EXPECT_EQ(report.errProcName, procedure);
    EXPECT_EQ(report.VmErrNumber, 5);
    EXPECT_EQ(report.VmErrDescription, "Refused by the model");
    EXPECT_EQ(report.VmErrSource, "FaultyModel");
    EXPECT_EQ(report.VmErrLastDllError, 1234);
    EXPECT_THAT(harness.results, ElementsAre(true));
}

TEST(BuilderFailure, EndsOnlyThatBuilderAndIsReportedOnce) {
    ControlHarness harness;
    harness.ctrl.setTheTimeDimension(std::make_shared<FaultyDimension>(
        harness.dimension, Fault{Fault::Call::SetAttribute, "Q2_ 2001"}));
    generate(harness, {.mask = 1 | 2, .endYear = "02"});

    expectOneReport(harness, "Private Function addQuarters(ByVal aParent As Member) As Boolean");
    const Tree tree(*harness.hierarchy());
    EXPECT_THAT(tree.childrenOf(""), ElementsAre("2001", "2002"));
    EXPECT_THAT(tree.childrenOf("2001"), ElementsAre("Q1_ 2001", "Q2_ 2001"));
    EXPECT_THAT(tree.attributes("Q2_ 2001"), IsEmpty());
    EXPECT_THAT(tree.childrenOf("2002"),
                ElementsAre("Q1_ 2002", "Q2_ 2002", "Q3_ 2002", "Q4_ 2002"));
    EXPECT_EQ(tree.attributes("Q4_ 2002").size(), 5u);
    EXPECT_EQ(tree.attributes("2002").size(), 3u);
}

TEST(BuilderFailure, ADayRefusedByItsParentEndsThatMonthsDaysOnly) {
    ControlHarness harness;
    harness.ctrl.setTheTimeDimension(std::make_shared<FaultyDimension>(
        harness.dimension, Fault{Fault::Call::PutParent, "Feb_15"}));
    generate(harness, {.mask = 1 | 4 | 16, .monthFormat = 1});

    expectOneReport(harness, "Private Function addDays(ByVal aParent As Member) As Boolean");
    const Tree tree(*harness.hierarchy());
    EXPECT_THAT(tree.childrenOf("Feb"), ElementsAreArray(numbered("Feb_", 1, 14)));
    EXPECT_EQ(tree.childrenOf("Mar").size(), 31u);
    EXPECT_EQ(tree.childrenOf("Dec").size(), 31u);
}

TEST(BuilderFailure, NoDimensionIsReportedByTheLevelSchemaAndOkStillSucceeds) {
    ControlHarness harness;
    harness.ctrl.setTheTimeDimension(nullptr);
    generate(harness, {.mask = 1 | 4});
    ASSERT_FALSE(harness.reporter.reports().empty());
    EXPECT_EQ(harness.reporter.reports().front().errProcName, "Private Sub addLevels()");
    EXPECT_EQ(harness.reporter.reports().front().VmErrNumber,
              static_cast<int>(ErrorNumber::ObjectNotSet));
    EXPECT_THAT(harness.results, ElementsAre(true));
}

}  // namespace
}  // namespace annalex::testing
