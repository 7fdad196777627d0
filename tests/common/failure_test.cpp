#include "common/failure.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

namespace annalex {
namespace {

TEST(Failure, CarriesCatalogueTextSourceAndTheSystemErrorOfTheMomentItWasRaised) {
    noteSystemError(ENOENT);
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

TEST(Failure, TheLastSystemErrorIsTheLastRecordedFailingCallNotErrno) {
    // A thread of its own starts with nothing recorded.
    std::thread([] {
        errno = ENOTTY;  // left behind by a terminal check, which is no failure
        EXPECT_EQ(Failure(ErrorNumber::TypeMismatch).lastSystemError(), 0);
        EXPECT_EQ(noteErrno(), ENOTTY);
        noteSystemError(0);  // records nothing
        errno = 0;
        EXPECT_EQ(Failure(ErrorNumber::Overflow).lastSystemError(), ENOTTY);
        noteSystemError(EACCES);
        EXPECT_EQ(Failure(ErrorNumber::Overflow, "x", "y").lastSystemError(), EACCES);
        EXPECT_EQ(lastSystemError(), EACCES);
    }).join();
}

TEST(Failure, NumbersOutsideTheCatalogueGetTheApplicationDefinedText) {
    EXPECT_EQ(errorDescription(12345), "Application-defined or object-defined error");
}

}  // namespace
}  // namespace annalex
