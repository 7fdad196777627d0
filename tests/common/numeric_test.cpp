#include "common/numeric.hpp"

#include <gtest/gtest.h>

#include "common/failure.hpp"

namespace annalex {
namespace {

int numberOf(auto&& f) {
    try {
        f();
    } catch (const Failure& failure) {
        return failure.number();
    }
    return 0;
}

TEST(Numeric, AcceptsSignedDecimalsWithBlanksAndExponentsOnly) {
    for (const char* text :
         {"0", "01", "-5", "+7", " 12 ", "3.5", ".5", "5.", "1e3", "2E-2", "-1.5e+2", "\t42"}) {
        EXPECT_TRUE(isNumeric(text)) << text;
    }
    for (const char* text : {"", " ", "-", "+", ".", "1.2.3", "1e", "e5", "Jan", "12a", "1 2",
                             "0x10", "--1", "1e+", "Mon 05"}) {
        EXPECT_FALSE(isNumeric(text)) << '"' << text << '"';
    }
}

TEST(Numeric, RoundsHalvesToTheEvenNeighbour) {
    const std::pair<const char*, int> cases[] = {{"0.5", 0},   {"1.5", 2},  {"2.5", 2},
                                                 {"-2.5", -2}, {"2.51", 3}, {"1e3", 1000}};
    for (const auto& [text, rounded] : cases) {
        EXPECT_EQ(toInt16(text), rounded) << text;
    }
}

TEST(Numeric, ConversionChecksRangeAndType) {
    EXPECT_EQ(toInt16("32767"), 32767);
    EXPECT_EQ(toInt16("-32768"), -32768);
    EXPECT_EQ(toInt16("32767.4"), 32767);
    const int overflow = static_cast<int>(ErrorNumber::Overflow);
    const int mismatch = static_cast<int>(ErrorNumber::TypeMismatch);
    EXPECT_EQ(numberOf([] { toInt16("32768"); }), overflow);
    EXPECT_EQ(numberOf([] { toInt16("32767.5"); }), overflow);  // rounds to 32768
    EXPECT_EQ(numberOf([] { toInt16("40000"); }), overflow);
    EXPECT_EQ(numberOf([] { toInt32("2147483648"); }), overflow);
    EXPECT_EQ(numberOf([] { toInt32("1e400"); }), overflow);
    EXPECT_EQ(toInt32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(numberOf([] { toInt16(""); }), mismatch);
    EXPECT_EQ(numberOf([] { toInt32("Jan"); }), mismatch);
}

TEST(Numeric, SignedTextKeepsThePlaceOfTheSign) {
    EXPECT_EQ(signedText(2001), " 2001");
    EXPECT_EQ(signedText(-5), "-5");
}

}  // namespace
}  // namespace annalex
