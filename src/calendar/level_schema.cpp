// The level schema: hierarchy "Period" with one level per chosen time level, each with its
// level-type code and attribute definitions, and the period-name lists the builders walk.

#include <array>
#include <span>
#include <string_view>
#include <utility>

#include "calendar/builder_support.hpp"
#include "calendar/calendar_builder.hpp"
#include "common/checked_int.hpp"

namespace annalex::calendar {
namespace {

using errors::kControlModule;
using errors::ProcedureLabels;

struct AttributeSchema {
    std::string_view key;
    std::string_view caption;
};

struct LevelSchema {
    std::string_view name;
    LevelBit bit;
    std::int32_t typeCode;
    std::span<const AttributeSchema> attributes;
};

// Each key is the level name followed by the attribute's own name; "Fst"/"Lst" stand in the
// keys where the captions say "First"/"Last".
constexpr std::array<AttributeSchema, 3> kYearAttributes = {{
    {"YearLeapYear", "Leap Year"},
    {"YearNumberOfDays", "Number of Days"},
    {"YearYearNo", "Year #"},
}};

constexpr std::array<AttributeSchema, 5> kQuarterAttributes = {{
    {"QuarterNumberInYear", "Number In Year"},
    {"QuarterNumberOfMonths", "Number of Months"},
    {"QuarterNumberOfWeeks", "Number of Weeks"},
    {"QuarterNumberOfDays", "Number of Days"},
    {"QuarterQtrNo", "Quarter #"},
}};

constexpr std::array<AttributeSchema, 7> kMonthAttributes = {{
    {"MonthNumberInYear", "# in Year"},
    {"MonthNumberInQuarter", "# in Quarter"},
    {"MonthNumberOfWeeks", "# of Weeks"},
    {"MonthNumberOfDays", "# of Days"},
    {"MonthFstDayInMonth", "First Day in Month"},
    {"MonthLstDayInMonth", "Last Day in Month"},
    {"MonthMonthNumber", "Month #"},
}};

constexpr std::array<AttributeSchema, 7> kWeekAttributes = {{
    {"WeekNumberInYear", "# in Year"},
    {"WeekNumberInQuarter", "# in Quarter"},
    {"WeekNumberInMonth", "# in Month"},
    {"WeekNumberOfDays", "# of Days"},
    {"WeekFstDayInWeek", "First Day in Week"},
    {"WeekLstDayInWeek", "Last Day in Week"},
    {"WeekWeekNumber", "Week #"},
}};

constexpr std::array<AttributeSchema, 16> kDayAttributes = {{
    {"DayNumberInYear", "# in Year"},
    {"DayNumberInQuarter", "# in Quarter"},
    {"DayNumberInMonth", "# in Month"},
    {"DayNumberInWeek", "# in Week"},
    {"DayWeekday", "Weekday"},
    {"DayHoliday", "Holiday"},
    {"DayWeekend", "Weekend"},
    {"DayFstDayInWeek", "First Day in Week"},
    {"DayLstDayInWeek", "Last Day in Week"},
    {"DayFstDayInMonth", "First Day in Month"},
    {"DayLstDayInMonth", "Last Day in Month"},
    {"DayFstDayInQuarter", "First Day in Quarter"},
    {"DayLstDayInQuarter", "Last Day in Quarter"},
    {"DayFstDayInYear", "First Day in Year"},
    {"DayLstDayInYear", "Last Day in Year"},
    {"DayDayNumber", "Day #"},
}};

// Defined only when attributes are filled, so that the schema of a plain generation stays as
// it always was: the working days of a year, quarter and month.
constexpr std::array<std::pair<LevelBit, AttributeSchema>, 3> kFilledOnlyAttributes = {{
    {kYearBit, {"YearNumberOfWorkingDays", "Number of Working Days"}},
    {kQuarterBit, {"QuarterNumberOfWorkingDays", "Number of Working Days"}},
    {kMonthBit, {"MonthNumberOfWorkingDays", "# of Working Days"}},
}};

// The level kinds from the largest period to the smallest: the order in which they are
// handled, and so the order in which new levels are appended.
constexpr std::array<LevelSchema, 5> kLevels = {{
    {"Year", kYearBit, cube::kLevelTypeYears, kYearAttributes},
    {"Quarter", kQuarterBit, cube::kLevelTypeQuarters, kQuarterAttributes},
    {"Month", kMonthBit, cube::kLevelTypeMonths, kMonthAttributes},
    {"Week", kWeekBit, cube::kLevelTypeWeeks, kWeekAttributes},
    {"Day", kDayBit, cube::kLevelTypeDays, kDayAttributes},
}};

constexpr std::string_view kHierarchyName = "Period";

}  // namespace

void CalendarBuilder::addLevels() {
    static constexpr ProcedureLabels kLabels{kControlModule, "Private Sub addLevels()"};
    trap_.run(kLabels, [&] {
        cube::Dimension& dimension = support::require(state_.theTimeDimension);
        // The hierarchy is asked for afresh before each use: hierarchy(1) of the dimension.
        // The reference is held for the call it serves (a model may hand out a new object).
        auto hierarchy = [&] {
            cube::HierarchyRef first = dimension.hierarchy(1);
            support::require(first);
            return first;
        };

        const Int16 count = dimension.hierarchyCount();
        if (count <= 0) {
            cube::HierarchyRef created = dimension.objects().newHierarchy();
            support::require(created).putName(kHierarchyName);
            dimension.addHierarchy(created);
        } else if (cube::LevelRef first = hierarchy()->levelAt(1)) {
            hierarchy()->removeLevel(first);
        }
        hierarchy()->clear();

        for (const LevelSchema& kind : kLevels) {
            if (!state_.chosen(kind.bit)) {
                continue;
            }
            // A level found by name stays as it is: neither its type nor its definitions are
            // checked or added to.
            if (!hierarchy()->levelNamed(kind.name)) {
                cube::LevelRef level = dimension.objects().newLevel();
                support::require(level).putName(kind.name);
                level->putLevelType(kind.typeCode);
                const auto define = [&](const AttributeSchema& attribute) {
                    cube::AttributeDefRef definition = dimension.objects().newAttributeDef();
                    support::require(definition).putName(attribute.key);
                    definition->putCaption(attribute.caption);
                    level->addAttributeDef(definition);
                };
                for (const AttributeSchema& attribute : kind.attributes) {
                    define(attribute);
                }
                for (const auto& [bit, attribute] : kFilledOnlyAttributes) {
                    if (state_.fillAttributes && bit == kind.bit) {
                        define(attribute);
                    }
                }
                hierarchy()->addLevel(level);
            }
            switch (kind.bit) {
                case kYearBit:
                    generateYears();
                    break;
                case kQuarterBit:
                    generateQuarters();
                    break;
                case kMonthBit:
                    generateMonths();
                    break;
                default:
                    break;  // weeks and days are named without a list
            }
        }
    });
}

}  // namespace annalex::calendar
