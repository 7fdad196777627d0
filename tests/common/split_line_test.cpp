#include "common/split_line.hpp"

#include <gtest/gtest.h>

#include "common/failure.hpp"

namespace annalex {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitLine, SplitsIntoFieldsCountedFromOne) {
    const struct {
        std::string_view line;
        std::string_view separator;
        Fields fields;
    } cases[] = {
        {"31-12-01", "-", {"31", "12", "01"}},
        {"a-b-", "-", {"a", "b"}},  // a trailing separator gives no empty last field
        {"a--b", "-", {"a", "", "b"}},
        {"-a", "-", {"", "a"}},
        {"-", "-", {""}},
        {"", "-", {""}},
        {"Jan", "_", {"Jan"}},
        {"12_ 2001", "_", {"12", " 2001"}},
        {"a-b", "", {"a-b"}},  // an empty separator leaves the line whole
        // Multi-character separators match whole, without overlap; the appended separator can
        // complete a match begun by the line's own last character.
        {"a---", "--", {"a"}},
        {"a--b--c", "--", {"a", "b", "c"}},
        {"a---b", "--", {"a", "-b"}},
        {"a-", "--", {"a"}},
    };
    LineFields fields;
    splitLine("x-y-z-w-v", "-", fields);  // what the fields held before is discarded
    for (const auto& c : cases) {
        const std::int16_t count = splitLine(c.line, c.separator, fields);
        ASSERT_EQ(count, fields.count()) << c.line;
        Fields got;
        for (std::int16_t i = 1; i <= count; ++i) {
            got.push_back(fields[i]);
        }
        EXPECT_EQ(got, c.fields) << "'" << c.line << "' by '" << c.separator << "'";
        EXPECT_THROW(fields[0], Failure);
        EXPECT_THROW(fields[count + 1], Failure);
    }
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
