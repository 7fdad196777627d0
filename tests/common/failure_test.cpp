#include "common/failure.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace annalex {
namespace {

TEST(Failure, CarriesCatalogueTextSourceAndTheSystemErrorOfTheMomentItWasRaised) {
    errno = ENOENT;
    try {
        raise(ErrorNumber::FileNotFound, "Annalex.Store");
    } catch (const Failure& failure) {
        errno = 0;
        EXPECT_EQ(failure.number(), 53);
        EXPECT_EQ(failure.description(), "File not found");
        EXPECT_EQ(failure.source(), "Annalex.Store");
        EXPECT_EQ(failure.lastSystemError(), ENOENT);
        EXPECT_STREQ(failure.what(), "File not found");
        return;
    }
    FAIL();
}

TEST(Failure, CatalogueNumbersAreStable) {
    EXPECT_EQ(errorDescription(5), "Invalid procedure call or argument");
    EXPECT_EQ(errorDescription(6), "Overflow");
    EXPECT_EQ(errorDescription(9), "Subscript out of range");
    EXPECT_EQ(errorDescription(13), "Type mismatch");
    EXPECT_EQ(errorDescription(91), "Object variable or With block variable not set");
    EXPECT_EQ(errorDescription(12345), "Application-defined or object-defined error");
}

}  // namespace
}  // namespace annalex
