// The trap's way to the one report form: failures injected into the real control (a cube that
// refuses every call, a day box holding 40000) reach the form through the real reporter.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/failure.hpp"
#include "control/annalex_ctrl.hpp"
#include "report/report_doubles.hpp"
#include "report/report_sandbox.hpp"

namespace annalex::testing {
namespace {

// A time dimension that refuses every call, each time with a new description.
class RefusingDimension final : public cube::Dimension {
  public:
    std::int16_t hierarchyCount() const override { refuse(); }
    cube::HierarchyRef hierarchy(std::int16_t) const override { refuse(); }
    void addHierarchy(const cube::HierarchyRef&) override { refuse(); }
    cube::ObjectFactory& objects() override { refuse(); }

    mutable int refusals = 0;

  private:
    [[noreturn]] void refuse() const {
        ++refusals;
        throw Failure(5, "Refused call " + std::to_string(refusals), "RefusingCube", 0);
    }
};

struct TrapHarness {
    explicit TrapHarness(bool refuseModeless = false)
        : keeper(doubles.services(),
                 [this](report::frmErrorHand& form) {
                     return std::make_unique<RecordingView>(form, views);
                 }),
          reporter(keeper, [this] { ++containerCloses; }),
          ctrl(pageMessages, pagePointer, reporter) {
        views.refuseModeless = refuseModeless;
        ctrl.addWizardResultListener([this](bool result) { results.push_back(result); });
    }

    ReportSandbox sandbox;
    FormServices doubles;
    ViewLog views;
    report::ReportFormKeeper keeper;
    int containerCloses = 0;
    report::ReportFormReporter reporter;
    RecordingMessages pageMessages;
    RecordingPointer pagePointer;
    control::AnnalexCtrl ctrl;
    std::vector<bool> results;
};

TEST(ReportFormKeeper, TwoFailuresOfOneGenerationShareOneFormWhichKeepsTheSecond) {
    TrapHarness h;
    auto dimension = std::make_shared<RefusingDimension>();
    h.ctrl.setTheTimeDimension(dimension);
    h.ctrl.page().availableList.setSelected(0, true);
    h.ctrl.page().btOk.click();

    // addLevels failed on the cube; OK, its caller, went on into addMembers, whose year builder
    // failed in turn on the year list addLevels never built; OK then went on to its end.
    EXPECT_EQ(dimension->refusals, 1);
    EXPECT_THAT(h.results, ::testing::ElementsAre(true));
    EXPECT_EQ(h.containerCloses, 2);
    EXPECT_EQ(h.keeper.formsCreated(), 1);
    EXPECT_EQ(h.views.modeless, 1);  // shown once, the second failure only overwrote fields
    EXPECT_EQ(h.views.modal, 0);
    EXPECT_EQ(h.doubles.screen.captures, 1);  // loaded once
    report::frmErrorHand* form = h.keeper.form();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->failure(),
              (errors::FailureReport{"AnnalexCtrl", "Private Sub addYears()",
                                     "Subscript out of range", 9, "Annalex", lastSystemError()}));
}

// The picture shows the screen as the failure found it, the page's window still open.
TEST(ReportFormKeeper, ThePictureIsTakenBeforeTheContainerCloses) {
    TrapHarness h;
    std::vector<int> closesAtCapture;
    h.doubles.screen.onCapture = [&] { closesAtCapture.push_back(h.containerCloses); };
    h.ctrl.page().txtStartDay.setText("40000");
    EXPECT_THAT(closesAtCapture, ::testing::ElementsAre(0));  // once, the container still open
    EXPECT_EQ(h.containerCloses, 1);
}

TEST(ReportFormKeeper, AFormThatCannotLoadIsLetGo) {
    TrapHarness h;
    h.doubles.screen.failing = true;
    EXPECT_THROW(h.ctrl.page().txtStartDay.setText("40000"), Failure);
    EXPECT_EQ(h.keeper.form(), nullptr);
    EXPECT_EQ(h.views.modeless, 0);

    h.doubles.screen.failing = false;
    h.ctrl.page().txtStartDay.setText("40001");
    EXPECT_EQ(h.keeper.formsCreated(), 2);
    EXPECT_EQ(h.views.modeless, 1);
}

TEST(ReportFormKeeper, WhenModelessShowingFailsTheFormIsShownModalAndTheProcedureWaits) {
    TrapHarness h(/*refuseModeless=*/true);
    h.ctrl.page().txtStartDay.setText("40000");
    EXPECT_EQ(h.views.modal, 1);
    // The modal showing returned only once the form was closed.
    EXPECT_EQ(h.keeper.form(), nullptr);
    EXPECT_EQ(h.keeper.formsCreated(), 1);
}

}  // namespace
}  // namespace annalex::testing
