#include <gtest/gtest.h>

#include <array>
#include <tuple>

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

// What the golden digests leave out of a generation: the notice's icon and modality, the
// pointer, and the date texts.
TEST(OkHandler, StartUpContentsWithYearGenerateAndRaiseTrue) {
    ControlHarness h;
    h.tick(1);
    h.pressOk();
    ASSERT_EQ(h.messages.shown, std::vector<MessageBoxRequest>{infoMessage(kInfo)});
    EXPECT_EQ(h.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(h.messages.shown[0].modality, MessageModality::Application);
    EXPECT_EQ(h.pointer.changes,
              (std::vector<MousePointer>{MousePointer::Hourglass, MousePointer::Default}));
    EXPECT_EQ(h.ctrl.state().startDateText, "01-01-01");
}

// Two-digit years take their century (50 to 99 the 1900s) before years, then months, then days
// are compared; equal dates are in order.
TEST(OkHandler, DateOrderComparesYearsWithTheirCenturyThenMonthsThenDays) {
    // Start and end as day, month and year boxes; whether the order is accepted.
    const std::tuple<std::array<const char*, 6>, bool> cases[] = {
        {{"01", "01", "01", "01", "01", "01"}, true},
        {{"01", "01", "99", "01", "01", "01"}, true},  // 1999..2001
        {{"01", "01", "50", "01", "01", "49"}, true},  // 1950..2049
        {{"01", "01", "01", "01", "01", "1999"}, false},
        {{"15", "03", "01", "14", "03", "01"}, false},
        {{"15", "03", "01", "01", "04", "01"}, true},
        {{"01", "05", "2001", "30", "04", "01"}, false},
        {{"01", "01", "2002", "31", "12", "2001"}, false},
    };
    for (const auto& [b, accepted] : cases) {
        ControlHarness h;
        h.typeStart(b[0], b[1], b[2]);
        h.typeEnd(b[3], b[4], b[5]);
        h.tick(1);
        h.messages.shown.clear();
        h.pressOk();
        const std::string what =
            std::string(b[0]) + "-" + b[1] + "-" + b[2] + " to " + b[3] + "-" + b[4] + "-" + b[5];
        EXPECT_EQ(h.messages.shown,
                  std::vector<MessageBoxRequest>{accepted ? infoMessage(kInfo)
                                                          : errorMessage(kOrderMessage)})
            << what;
        EXPECT_EQ(h.results, std::vector<bool>(accepted ? 1 : 0, true)) << what;
    }
}

// The steps before a failed check keep what they wrote, and the date order is checked before
// the levels are read.
TEST(OkHandler, StepsBeforeAFailedCheckKeepWhatTheyWrote) {
    ControlHarness h;
    h.tick(16);
    h.typeEnd("30", "11", "01");
    h.pressOk();  // Day alone is refused after the dates are stored
    EXPECT_EQ(h.ctrl.state().endDateText, "30-11-01");
    EXPECT_EQ(h.ctrl.state().levelMask, 16);
    h.tick(0);
    h.typeEnd("31", "12", "1999");
    h.messages.shown.clear();
    h.pressOk();
    EXPECT_EQ(h.messages.texts(), std::vector<std::string>{kOrderMessage});
    EXPECT_EQ(h.ctrl.state().levelMask, 16);
}

// None, Day alone, and Quarter with Day but nothing between them are refused with their
// messages, before anything is generated. (Every other set generates; the golden digests hold
// what each one makes.)
TEST(OkHandler, LevelSetsThePageRefusesAreRefusedWithTheirMessage) {
    const std::pair<int, const char*> refused[] = {
        {0, kNoLevel}, {16, kDayOnly}, {18, kQuarterDay}, {19, kQuarterDay}};
    for (const auto& [mask, message] : refused) {
        ControlHarness h;
        h.tick(mask);
        h.pressOk();
        EXPECT_EQ(h.ctrl.state().levelMask, mask);
        EXPECT_EQ(h.messages.shown, std::vector<MessageBoxRequest>{errorMessage(message)}) << mask;
        EXPECT_TRUE(h.results.empty()) << mask;
        EXPECT_TRUE(h.pointer.changes.empty()) << mask;
    }
}

TEST(Events, EveryListenerHearsEachResultAndCancelLeavesTheDimensionAlone) {
    ControlHarness h;
    std::vector<bool> second;
    h.ctrl.addWizardResultListener([&](bool result) { second.push_back(result); });
    int descriptions = 0;
    h.ctrl.addStepDescriptionListener([&](std::string_view, std::int16_t) { ++descriptions; });
    h.ctrl.page().btCancel.click();
    h.tick(1);
    h.pressOk();
    const auto hierarchiesBefore = h.dimension->hierarchyCount();
    h.ctrl.page().btCancel.click();
    EXPECT_EQ(h.results, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(second, h.results);
    EXPECT_EQ(h.dimension->hierarchyCount(), hierarchiesBefore);
    EXPECT_TRUE(h.reporter.reports().empty());
    EXPECT_EQ(descriptions, 0);  // declared for hosts, never raised
}

}  // namespace
}  // namespace annalex::control
