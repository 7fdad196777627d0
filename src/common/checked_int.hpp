#pragma once
// Integers of a declared width that refuse to wrap.
//
// Counters, days, months and years are 16-bit; years being generated, positions and counts are
// 32-bit. Arithmetic on these values is done in a wider type and narrowed with a check, so an
// out-of-range result raises the Overflow failure instead of wrapping.

#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

#include "common/failure.hpp"

namespace annalex {

// Narrows a value to T, raising Overflow when it does not fit.
template <typename T, typename From>
constexpr T narrowChecked(From value) {
    static_assert(std::is_integral_v<T> && std::is_integral_v<From>);
    if (!std::in_range<T>(value)) {
        raise(ErrorNumber::Overflow);
    }
    return static_cast<T>(value);
}

template <typename T>
class CheckedInt {
    static_assert(std::is_signed_v<T> && sizeof(T) <= 4, "16- or 32-bit signed integers only");

  public:
    using value_type = T;

    constexpr CheckedInt() = default;
    // Implicit from T itself; other integers go through the range check.
    constexpr CheckedInt(T value) : value_(value) {}  // NOLINT(google-explicit-constructor)
    template <typename U>
    requires(std::is_integral_v<U> && !std::is_same_v<U, T>) constexpr CheckedInt(U value)
        : value_(narrowChecked<T>(value)) {}  // NOLINT

    constexpr T value() const { return value_; }
    constexpr operator T() const { return value_; }  // NOLINT(google-explicit-constructor)

    friend constexpr CheckedInt operator+(CheckedInt a, CheckedInt b) {
        return CheckedInt(narrowChecked<T>(std::int64_t{a.value_} + b.value_));
    }
    friend constexpr CheckedInt operator-(CheckedInt a, CheckedInt b) {
        return CheckedInt(narrowChecked<T>(std::int64_t{a.value_} - b.value_));
    }
    friend constexpr CheckedInt operator*(CheckedInt a, CheckedInt b) {
        return CheckedInt(narrowChecked<T>(std::int64_t{a.value_} * b.value_));
    }
    // Integer division truncating toward zero; division by zero is an invalid call.
    friend constexpr CheckedInt operator/(CheckedInt a, CheckedInt b) {
        return CheckedInt(narrowChecked<T>(std::int64_t{a.value_} / nonZero(b)));
    }
    friend constexpr CheckedInt operator%(CheckedInt a, CheckedInt b) {
        return CheckedInt(narrowChecked<T>(std::int64_t{a.value_} % nonZero(b)));
    }
    // Mixed with plain integers: the plain operand must fit T as well.
    template <typename U>
    requires std::is_integral_v<U>
    friend constexpr CheckedInt operator+(CheckedInt a, U b) { return a + CheckedInt(b); }
    template <typename U>
    requires std::is_integral_v<U>
    friend constexpr CheckedInt operator+(U a, CheckedInt b) { return CheckedInt(a) + b; }
    template <typename U>
    requires std::is_integral_v<U>
    friend constexpr CheckedInt operator-(CheckedInt a, U b) { return a - CheckedInt(b); }
    template <typename U>
    requires std::is_integral_v<U>
    friend constexpr CheckedInt operator-(U a, CheckedInt b) { return CheckedInt(a) - b; }
    template <typename U>
    requires std::is_integral_v<U>
    friend constexpr CheckedInt operator*(CheckedInt a, U b) { return a * CheckedInt(b); }
    template <typename U>
    requires std::is_integral_v<U>
    friend constexpr CheckedInt operator*(U a, CheckedInt b) { return CheckedInt(a) * b; }
    template <typename U>
    requires std::is_integral_v<U>
    friend constexpr CheckedInt operator/(CheckedInt a, U b) { return a / CheckedInt(b); }
    template <typename U>
    requires std::is_integral_v<U>
    friend constexpr CheckedInt operator%(CheckedInt a, U b) { return a % CheckedInt(b); }
    constexpr CheckedInt operator-() const { return CheckedInt(T{0}) - *this; }
    constexpr CheckedInt& operator+=(CheckedInt other) { return *this = *this + other; }
    constexpr CheckedInt& operator-=(CheckedInt other) { return *this = *this - other; }
    constexpr CheckedInt& operator*=(CheckedInt other) { return *this = *this * other; }
    constexpr CheckedInt& operator++() { return *this += CheckedInt(T{1}); }
    constexpr CheckedInt& operator--() { return *this -= CheckedInt(T{1}); }
    // Comparisons go through the conversion to T.

  private:
    static constexpr std::int64_t nonZero(CheckedInt divisor) {
        if (divisor.value_ == 0) {
            raise(ErrorNumber::InvalidProcedureCall, "Division by zero", kDefaultSource);
        }
        return divisor.value_;
    }

    T value_ = 0;
};

using Int16 = CheckedInt<std::int16_t>;
using Int32 = CheckedInt<std::int32_t>;

}  // namespace annalex
