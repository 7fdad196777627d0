#include "common/checked_int.hpp"

#include <gtest/gtest.h>

namespace annalex {
namespace {

int overflowNumber() {
    return static_cast<int>(ErrorNumber::Overflow);
}

template <typename F>
void expectOverflow(F&& f) {
    try {
        f();
        FAIL() << "expected an overflow";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), overflowNumber());
        EXPECT_EQ(failure.description(), "Overflow");
    }
}

TEST(CheckedInt, SixteenBitEdgesRaiseInsteadOfWrapping) {
    Int16 max = 32767;
    Int16 min = -32768;
    EXPECT_EQ((max - Int16(1)).value(), 32766);
    EXPECT_EQ((min + Int16(1)).value(), -32767);
    expectOverflow([&] { return max + Int16(1); });
    expectOverflow([&] { return min - Int16(1); });
    expectOverflow([&] { return -min; });
    expectOverflow([&] { return Int16(200) * Int16(200); });
    expectOverflow([&] {
        Int16 counter = 32767;
        ++counter;
    });
}

TEST(CheckedInt, ThirtyTwoBitEdgesRaiseInsteadOfWrapping) {
    Int32 max = 2147483647;
    EXPECT_EQ((max - Int32(2147483647)).value(), 0);
    expectOverflow([&] { return max + Int32(1); });
    expectOverflow([&] { return Int32(-2147483647) - Int32(2); });
    expectOverflow([&] { return Int32(65536) * Int32(65536); });
}

TEST(CheckedInt, NarrowingFromWiderTypesIsChecked) {
    EXPECT_EQ(Int16(std::int32_t{-32768}).value(), -32768);
    expectOverflow([] { return Int16(std::int32_t{32768}); });
    expectOverflow([] { return narrowChecked<std::int32_t>(std::int64_t{1} << 31); });
}

TEST(CheckedInt, DivisionByZeroIsAnInvalidCall) {
    try {
        (void)(Int16(1) / Int16(0));
        FAIL();
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), static_cast<int>(ErrorNumber::InvalidProcedureCall));
    }
    expectOverflow([] { return Int16(-32768) / Int16(-1); });
}

}  // namespace
}  // namespace annalex
