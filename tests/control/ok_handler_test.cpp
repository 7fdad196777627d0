#include <gtest/gtest.h>

#include "support/page_doubles.hpp"

namespace annalex::control {
namespace {

using testing::ControlHarness;

const char* const kOrderMessage = "End date must be after start date";
const char* const kNoLevel = "Please select at least one level";
const char* const kQuarterDay =
    "The selection Quarter/Day is not valid. Please select at least another level between "
    "Quarter and Day.";
const char* const kDayOnly =
    "Selecting Day level only is not valid. Please select at least another level.";
const char* const kInfo =
    "The generation of the selected calendar may take a few minutes. Please wait.";

TEST(OkHandler, StartUpContentsWithYearGenerateAndRaiseTrue) {
    ControlHarness h;
    h.tick(1);
    h.pressOk();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0], infoMessage(kInfo));
    EXPECT_EQ(h.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(h.messages.shown[0].modality, MessageModality::Application);
    EXPECT_EQ(h.pointer.changes,
              (std::vector<MousePointer>{MousePointer::Hourglass, MousePointer::Default}));
    EXPECT_EQ(h.results, std::vector<bool>{true});
    EXPECT_EQ(h.ctrl.state().startDate, (calendar::DateParts{1, 1, 2001}));
    EXPECT_EQ(h.ctrl.state().endDate, (calendar::DateParts{31, 12, 2001}));
    EXPECT_EQ(h.ctrl.state().startDateText, "01-01-01");
    EXPECT_TRUE(h.reporter.reports().empty());
}

struct OrderCase {
    const char* start[3];
    const char* end[3];
    bool accepted;
};

void PrintTo(const OrderCase& c, std::ostream* out) {
    *out << c.start[0] << "-" << c.start[1] << "-" << c.start[2] << " to " << c.end[0] << "-"
         << c.end[1] << "-" << c.end[2];
}

class DateOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(DateOrder, ComparesYearsWithTheirCenturyThenMonthsThenDays) {
    const OrderCase& c = GetParam();
    ControlHarness h;
    h.typeStart(c.start[0], c.start[1], c.start[2]);
    h.typeEnd(c.end[0], c.end[1], c.end[2]);
    h.tick(1);
    h.messages.shown.clear();
    h.pressOk();
    ASSERT_FALSE(h.messages.shown.empty());
    if (c.accepted) {
        EXPECT_EQ(h.messages.texts().front(), kInfo);
        EXPECT_EQ(h.results, std::vector<bool>{true});
    } else {
        EXPECT_EQ(h.messages.texts(), std::vector<std::string>{kOrderMessage});
        EXPECT_EQ(h.messages.shown[0], errorMessage(kOrderMessage));
        EXPECT_TRUE(h.results.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    OkHandler, DateOrder,
    ::testing::Values(OrderCase{{"01", "01", "01"}, {"01", "01", "01"}, true},  // equal dates
                      OrderCase{{"01", "01", "99"}, {"01", "01", "01"}, true},  // 1999..2001
                      OrderCase{{"01", "01", "50"}, {"01", "01", "49"}, true},  // 1950..2049
                      OrderCase{{"01", "01", "01"}, {"01", "01", "1999"}, false},
                      OrderCase{{"15", "03", "01"}, {"14", "03", "01"}, false},
                      OrderCase{{"15", "03", "01"}, {"01", "04", "01"}, true},
                      OrderCase{{"01", "05", "2001"}, {"30", "04", "01"}, false},
                      OrderCase{{"01", "01", "2002"}, {"31", "12", "2001"}, false}));

TEST(OkHandler, AWrongDateOrderIsReportedBeforeTheLevelsAreRead) {
    ControlHarness h;
    h.typeEnd("31", "12", "1999");
    h.pressOk();  // no level ticked
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{kOrderMessage});
    EXPECT_EQ(h.ctrl.state().levelMask, 0);
}

struct MaskCase {
    int mask;
    const char* message;  // nullptr: accepted
};

void PrintTo(const MaskCase& c, std::ostream* out) {
    *out << "mask " << c.mask;
}

class LevelChoice : public ::testing::TestWithParam<MaskCase> {};

TEST_P(LevelChoice, RejectsTheCombinationsThatCannotBeGenerated) {
    const MaskCase& c = GetParam();
    ControlHarness h;
    h.tick(c.mask);
    h.pressOk();
    EXPECT_EQ(h.ctrl.state().levelMask, c.mask);
    if (c.message != nullptr) {
        ASSERT_EQ(h.messages.shown.size(), 1u);
        EXPECT_EQ(h.messages.shown[0], errorMessage(c.message));
        EXPECT_TRUE(h.results.empty());
        EXPECT_TRUE(h.pointer.changes.empty());
    } else {
        EXPECT_EQ(h.messages.texts().front(), kInfo);
        EXPECT_EQ(h.results, std::vector<bool>{true});
    }
}

INSTANTIATE_TEST_SUITE_P(OkHandler, LevelChoice,
                         ::testing::Values(MaskCase{0, kNoLevel}, MaskCase{18, kQuarterDay},
                                           MaskCase{19, kQuarterDay}, MaskCase{16, kDayOnly},
                                           MaskCase{17, nullptr}, MaskCase{20, nullptr},
                                           MaskCase{8, nullptr}, MaskCase{26, nullptr},
                                           MaskCase{31, nullptr}));

TEST(OkHandler, StepsBeforeAFailedCheckKeepWhatTheyWrote) {
    ControlHarness h;
    h.tick(16);
    h.typeEnd("30", "11", "01");
    h.pressOk();
    EXPECT_EQ(h.ctrl.state().endDateText, "30-11-01");
    EXPECT_EQ(h.ctrl.state().levelMask, 16);
}

TEST(Cancel, RaisesFalseEveryTimeAndLeavesTheDimensionAlone) {
    ControlHarness h;
    h.ctrl.page().btCancel.click();
    h.tick(1);
    h.pressOk();
    const auto hierarchiesBefore = h.dimension->hierarchyCount();
    h.ctrl.page().btCancel.click();
    EXPECT_EQ(h.results, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(h.dimension->hierarchyCount(), hierarchiesBefore);
    EXPECT_TRUE(h.reporter.reports().empty());
}

TEST(Events, EveryListenerHearsWizardResult) {
    ControlHarness h;
    std::vector<bool> second;
    h.ctrl.addWizardResultListener([&](bool result) { second.push_back(result); });
    int descriptions = 0;
    h.ctrl.addStepDescriptionListener([&](std::string_view, std::int16_t) { ++descriptions; });
    h.ctrl.page().btCancel.click();
    h.tick(1);
    h.pressOk();
    EXPECT_EQ(second, (std::vector<bool>{false, true}));
    EXPECT_EQ(h.results, second);
    EXPECT_EQ(descriptions, 0);  // declared for hosts, never raised
}

}  // namespace
}  // namespace annalex::control
