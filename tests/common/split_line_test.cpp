#include "common/split_line.hpp"

#include <gtest/gtest.h>

#include "common/failure.hpp"

namespace annalex {
namespace {

std::vector<std::string> split(std::string_view line, std::string_view separator) {
    LineFields fields;
    const std::int16_t count = splitLine(line, separator, fields);
    std::vector<std::string> result;
    for (std::int16_t i = 1; i <= count; ++i) {
        result.push_back(fields[i]);
    }
    EXPECT_EQ(count, fields.count());
    return result;
}

using Fields = std::vector<std::string>;

TEST(SplitLine, SplitsADateIntoFieldsFromIndexOne) {
    LineFields fields;
    ASSERT_EQ(splitLine("31-12-01", "-", fields), 3);
    EXPECT_EQ(fields[1], "31");
    EXPECT_EQ(fields[2], "12");
    EXPECT_EQ(fields[3], "01");
    EXPECT_THROW(fields[0], Failure);
    EXPECT_THROW(fields[4], Failure);
}

TEST(SplitLine, TrailingSeparatorGivesNoEmptyLastField) {
    EXPECT_EQ(split("a-b-", "-"), (Fields{"a", "b"}));
    EXPECT_EQ(split("a-b", "-"), (Fields{"a", "b"}));
}

TEST(SplitLine, AdjacentAndLeadingSeparatorsGiveEmptyFields) {
    EXPECT_EQ(split("a--b", "-"), (Fields{"a", "", "b"}));
    EXPECT_EQ(split("-a", "-"), (Fields{"", "a"}));
    EXPECT_EQ(split("-", "-"), (Fields{""}));
}

TEST(SplitLine, EmptyLineAndLineWithoutSeparator) {
    EXPECT_EQ(split("", "-"), (Fields{""}));
    EXPECT_EQ(split("Jan", "_"), (Fields{"Jan"}));
}

TEST(SplitLine, MultiCharacterSeparatorsMatchWholeWithoutOverlap) {
    EXPECT_EQ(split("a---", "--"), (Fields{"a"}));
    EXPECT_EQ(split("a--b--c", "--"), (Fields{"a", "b", "c"}));
    EXPECT_EQ(split("a---b", "--"), (Fields{"a", "-b"}));
    // The appended separator can complete a match begun by the line's own last character.
    EXPECT_EQ(split("a-", "--"), (Fields{"a"}));
}

TEST(SplitLine, PreviewCaptionAndMemberNames) {
    EXPECT_EQ(split("(01-01-01)", "-"), (Fields{"(01", "01", "01)"}));
    EXPECT_EQ(split("12_ 2001", "_"), (Fields{"12", " 2001"}));
}

TEST(SplitLine, EmptySeparatorLeavesTheLineWhole) {
    EXPECT_EQ(split("a-b", ""), (Fields{"a-b"}));
}

TEST(SplitLine, DiscardsWhatTheFieldsHeldBefore) {
    LineFields fields;
    splitLine("a-b-c", "-", fields);
    ASSERT_EQ(splitLine("x", "-", fields), 1);
    EXPECT_EQ(fields[1], "x");
    EXPECT_THROW(fields[2], Failure);
}

TEST(SplitLine, MoreFieldsThanTheSixteenBitCountOverflow) {
    std::string line(32768, '-');
    LineFields fields;
    try {
        splitLine(line, "-", fields);
        FAIL();
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), static_cast<int>(ErrorNumber::Overflow));
    }
    EXPECT_EQ(splitLine(std::string(32766, '-') + "a", "-", fields), 32767);
}

}  // namespace
}  // namespace annalex
