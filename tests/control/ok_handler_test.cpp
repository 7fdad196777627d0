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

// Every set of ticked levels: none, Day alone, and Quarter with Day but nothing between them
// are refused with their messages; every other set generates.
TEST(OkHandler, EveryLevelSetIsGeneratedOrRefusedWithItsMessage) {
    using namespace calendar;
    for (int mask = 0; mask < 32; ++mask) {
        SCOPED_TRACE("mask " + std::to_string(mask));
        const char* refusal = nullptr;
        if (mask == 0) {
            refusal = kNoLevel;
        } else if (mask == kDayBit) {
            refusal = kDayOnly;
        } else if ((mask & kQuarterBit) && (mask & kDayBit) && !(mask & (kMonthBit | kWeekBit))) {
            refusal = kQuarterDay;
        }
        ControlHarness h;
        h.tick(mask);
        h.pressOk();
        EXPECT_EQ(h.ctrl.state().levelMask, mask);
        if (refusal != nullptr) {
            ASSERT_EQ(h.messages.shown.size(), 1u);
            EXPECT_EQ(h.messages.shown[0], errorMessage(refusal));
            EXPECT_TRUE(h.results.empty());
            EXPECT_TRUE(h.pointer.changes.empty());
        } else {
            EXPECT_EQ(h.messages.texts().front(), kInfo);
            EXPECT_EQ(h.results, std::vector<bool>{true});
        }
    }
}

TEST(OkHandler, StepsBeforeAFailedCheckKeepWhatTheyWrote) {
    ControlHarness h;
    h.tick(16);
    h.typeEnd("30", "11", "01");
    h.pressOk();
    EXPECT_EQ(h.ctrl.state().endDateText, "30-11-01");
    EXPECT_EQ(h.ctrl.state().levelMask, 16);
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
