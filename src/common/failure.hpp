#pragma once
// The failure type of the whole product and its stable catalogue of numbers and texts.
//
// A Failure is what the procedure trap reports: its number and description come from one
// catalogue, because they end up in error logs that support staff read; its source names the
// component that raised it; the last system error code is captured at the moment the failure is
// raised.
//
// The last system error is the code of the most recent operating-system call of the product that
// failed, as the product recorded it (noteSystemError), not whatever errno holds: errno is also
// left behind by calls that are expected to fail (a terminal check, a probe for a file) and by
// libraries. A failure that involved no system call therefore carries the code of the last
// recorded failing call, 0 when there was none. The record is kept per thread.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace annalex {

// Catalogue numbers. They never change once published.
enum class ErrorNumber : std::int32_t {
    InvalidProcedureCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    BadFileNameOrNumber = 52,
    FileNotFound = 53,
    FileAlreadyOpen = 55,
    DeviceIoError = 57,
    FileAlreadyExists = 58,
    DiskFull = 61,
    InputPastEndOfFile = 62,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
    ObjectNotSet = 91,
};

// The catalogue text of a number; "Application-defined or object-defined error" for numbers
// outside the catalogue.
std::string_view errorDescription(ErrorNumber number);
std::string_view errorDescription(std::int32_t number);

// The code of the most recent failing system call recorded on this thread; 0 when none.
std::int32_t lastSystemError() noexcept;
// Records the code of a system call that just failed; 0 records nothing. Returns code.
std::int32_t noteSystemError(std::int32_t code) noexcept;
// Records errno after a system call that just failed, and returns it.
std::int32_t noteErrno() noexcept;

// The source text used when the raiser names no component of its own.
inline constexpr std::string_view kDefaultSource = "Annalex";

class Failure : public std::runtime_error {
  public:
    // Description from the catalogue; lastSystemError is the one recorded now.
    explicit Failure(ErrorNumber number, std::string_view source = kDefaultSource);
    // A catalogue number with a more specific description (for example one naming a file).
    Failure(ErrorNumber number, std::string description, std::string_view source);
    // Full control, for failures rebuilt from a record (tests, logs).
    Failure(std::int32_t number, std::string description, std::string source,
            std::int32_t lastSystemError);

    std::int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& source() const noexcept { return source_; }
    std::int32_t lastSystemError() const noexcept { return lastSystemError_; }

  private:
    std::int32_t number_;
    std::string description_;
    std::string source_;
    std::int32_t lastSystemError_;
};

// Throws a Failure with the catalogue text of number.
[[noreturn]] void raise(ErrorNumber number, std::string_view source = kDefaultSource);
// Throws a Failure with a specific description.
[[noreturn]] void raise(ErrorNumber number, std::string description, std::string_view source);

}  // namespace annalex
