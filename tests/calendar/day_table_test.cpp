// The day table's reading of the generation: the recorded days taken by name when the
// placement order does not match, and a value its column cannot hold refused with the member
// named.

#include "calendar/day_table.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "common/failure.hpp"
#include "support/page_doubles.hpp"

namespace annalex::testing {
namespace {

struct Generated {
    Generated() {
        harness.typeStart("01", "04", "2003");
        harness.typeEnd("31", "03", "2005");
        harness.tick(31);
        harness.ctrl.page().calendarType[1].click();  // fiscal
        harness.ctrl.setFillAttributes(true);
        harness.ctrl.setRecordDates(true);
        harness.pressOk();
    }
    std::string table(const calendar::CalendarState& state) const {
        std::ostringstream out;
        calendar::DayTableOptions options;
        options.attributes = true;
        calendar::writeDayTable(*harness.hierarchy(), state, options, out);
        return out.str();
    }
    ControlHarness harness;
};

TEST(DayTable, RecordedDaysOutOfPlaceAreTakenByName) {
    const Generated generated;
    const std::string table = generated.table(generated.harness.ctrl.state());
    ASSERT_GT(std::count(table.begin(), table.end(), '\n'), 700);
    calendar::CalendarState shuffled = generated.harness.ctrl.state();
    std::reverse(shuffled.placedDays.begin(), shuffled.placedDays.end());
    EXPECT_EQ(generated.table(shuffled), table);
    shuffled.placedDays.clear();
    EXPECT_EQ(generated.table(shuffled), table);
    shuffled.memberDates.clear();
    EXPECT_THROW(generated.table(shuffled), Failure);
}

TEST(DayTable, ValueItsColumnCannotHoldIsNamed) {
    cube::MemoryDimension dimension("Time");
    auto& objects = dimension.objects();
    const auto hierarchy = objects.newHierarchy();
    dimension.addHierarchy(hierarchy);
    const auto level = objects.newLevel();
    level->putName("Day");
    hierarchy->addLevel(level);
    const auto weekend = objects.newAttributeDef();
    weekend->putName("DayWeekend");
    level->addAttributeDef(weekend);
    const auto day = objects.newMember();
    day->putName("Sat 2 Jan");
    level->addRootMember(day);
    day->setAttribute("DayWeekend", "Maybe");
    calendar::CalendarState state;
    const auto date = std::chrono::sys_days(std::chrono::year(2021) / 1 / 2);
    state.memberDates["Day\tSat 2 Jan"] = {date, date};
    std::ostringstream out;
    calendar::DayTableOptions options;
    options.attributes = true;
    try {
        calendar::writeDayTable(*dimension.hierarchies().front(), state, options, out);
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), 13);
        EXPECT_EQ(failure.description(),
                  "attribute DayWeekend of Day member 'Sat 2 Jan' holds 'Maybe', not Yes or No");
    }
}

}  // namespace
}  // namespace annalex::testing
