// Rows of attribute values set through AttributeRows, checked against the same values set one
// by one: the rows gathered whole, the rows that fall back to one value at a time, and the
// rows still waiting when their level goes.

#include "cube/attribute_rows.hpp"

#include <gtest/gtest.h>

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

// Fills member i of a level with keys N, Code, Text: through rows, or one value at a time.
// Some members have a value already, set their keys in another order, or set fewer keys.
void fill(Member& member, int i, AttributeRows* rows) {
    const std::string code = "day " + std::to_string(i / 7);
    const std::string text = i % 3 == 0 ? "" : "t" + std::to_string(i % 5);
    const std::int64_t number = i % 11 == 0 ? -i : (i % 13 == 0 ? 5000 + i : i % 400);
    if (i % 97 == 5) {
        member.setAttribute("Text", "before");
    }
    if (rows != nullptr) {
        rows->start(member);
    }
    const auto set = [&](std::string_view key, std::string_view value, auto&& throughRows) {
        if (rows == nullptr) {
            member.setAttribute(key, value);
        } else {
            throughRows();
        }
    };
    if (i % 101 == 9) {  // a row in another order
        set("Code", code, [&] { rows->text("Code", code); });
    }
    set("N", std::to_string(number), [&] { rows->number("N", number); });
    set("Code", code, [&] { rows->coded("Code", i / 7, code); });
    if (i % 89 != 7) {  // a shorter row
        set("Text", text, [&] { rows->text("Text", text); });
    }
    if (rows != nullptr) {
        rows->finish();
    }
}

TEST(AttributeRows, GiveTheValuesAndKeyOrderOfValuesSetOneByOne) {
    testing::TimeModel gathered;
    testing::TimeModel oneByOne;
    constexpr int kMembers = 3000;
    AttributeRows rows;
    LevelRef days;
    for (testing::TimeModel* model : {&gathered, &oneByOne}) {
        days = model->addLevel("Day", {"N", "Code", "Text"});
        for (int i = 0; i < kMembers; ++i) {
            fill(*model->root(days, std::to_string(i)), i, model == &gathered ? &rows : nullptr);
        }
    }
    rows.flush();
    for (std::uint32_t id = 0; id < kMembers; ++id) {
        ASSERT_EQ(valuesOf(*gathered.hierarchy, id), valuesOf(*oneByOne.hierarchy, id)) << id;
    }
    // A key the level lacks fails as setting it alone does.
    const MemberRef member = oneByOne.root(days, "x");
    rows.start(*member);
    rows.number("N", 1);
    try {
        rows.text("Missing", "x");
        ADD_FAILURE() << "a key the level lacks was taken";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), "Attribute 'Missing' is not defined on level 'Day'");
    }
}

TEST(AttributeRows, WaitingRowsAreAddedByFlushOrForgetAndGoWithTheirLevel) {
    testing::TimeModel model;
    const LevelRef kept = model.addLevel("Kept", {"Weekday"});
    AttributeRows rows;
    const auto addDay = [&](const LevelRef& level, std::string_view name) {
        const MemberRef member = model.root(level, name);
        rows.start(*member);
        rows.coded("Weekday", 1, name);
        rows.finish();
    };
    addDay(kept, "Monday");  // shows the keys
    addDay(kept, "Monday");
    rows.forget();  // a new generation, in which code 1 stands for another text
    addDay(kept, "Montag");
    addDay(kept, "Montag");
    rows.flush();
    EXPECT_EQ(valuesOf(*model.hierarchy, 1), (Values{{"Weekday", "Monday"}}));
    EXPECT_EQ(valuesOf(*model.hierarchy, 3), (Values{{"Weekday", "Montag"}}));

    const LevelRef removed = model.addLevel("Removed", {"Weekday"});
    addDay(removed, "a");
    addDay(removed, "b");  // waits
    model.hierarchy->removeLevel(removed);
    rows.flush();
    EXPECT_EQ(model.hierarchy->memberCount(), 4u);
    EXPECT_EQ(valuesOf(*model.hierarchy, 3), (Values{{"Weekday", "Montag"}}));
}

}  // namespace
}  // namespace annalex::cube
