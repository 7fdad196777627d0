#include "common/checked_int.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace annalex {
namespace {

// The failure number that call raised, or 0.
int failureNumber(const std::function<void()>& call) {
    try {
        call();
    } catch (const Failure& failure) {
        return failure.number();
    }
    return 0;
}

TEST(CheckedInt, ResultsInRangeAreExactAndEdgesRaiseInsteadOfWrapping) {
    EXPECT_EQ((Int16(32767) - Int16(1)).value(), 32766);
    EXPECT_EQ((Int16(-32768) + Int16(1)).value(), -32767);
    EXPECT_EQ((Int32(2147483647) - Int32(2147483647)).value(), 0);
    EXPECT_EQ(Int16(std::int32_t{-32768}).value(), -32768);

    const int overflow = static_cast<int>(ErrorNumber::Overflow);
    const std::pair<int, std::function<void()>> cases[] = {
        {overflow, [] { (void)(Int16(32767) + Int16(1)); }},
        {overflow, [] { (void)(Int16(-32768) - Int16(1)); }},
        {overflow, [] { (void)(-Int16(-32768)); }},
        {overflow, [] { (void)(Int16(200) * Int16(200)); }},
        {overflow,
         [] {
             Int16 counter = 32767;
             ++counter;
         }},
        {overflow, [] { (void)(Int16(-32768) / Int16(-1)); }},
        {overflow, [] { (void)(Int32(2147483647) + Int32(1)); }},
        {overflow, [] { (void)(Int32(-2147483647) - Int32(2)); }},
        {overflow, [] { (void)(Int32(65536) * Int32(65536)); }},
        {overflow, [] { (void)Int16(std::int32_t{32768}); }},
        {overflow, [] { (void)narrowChecked<std::int32_t>(std::int64_t{1} << 31); }},
        {static_cast<int>(ErrorNumber::InvalidProcedureCall), [] { (void)(Int16(1) / Int16(0)); }},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(failureNumber(cases[i].second), cases[i].first) << "case " << i;
    }
}

}  // namespace
}  // namespace annalex
