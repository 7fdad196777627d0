#include "common/numeric.hpp"

#include <charconv>
#include <cmath>
#include <limits>

#include "common/failure.hpp"

namespace annalex {
namespace {

constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

template <typename T>
T roundChecked(double value) {
    if (std::isnan(value)) {
        raise(ErrorNumber::Overflow);
    }
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(std::numeric_limits<T>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<T>::max())) {
        raise(ErrorNumber::Overflow);
    }
    return static_cast<T>(rounded);
}

}  // namespace

bool isNumeric(std::string_view text) {
    text = trimBlanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            ++digits;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == text.size();
}

double toDouble(std::string_view text) {
    if (!isNumeric(text)) {
        raise(ErrorNumber::TypeMismatch);
    }
    text = trimBlanks(text);
    if (text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        raise(ErrorNumber::Overflow);
    }
    if (error != std::errc() || end != text.data() + text.size()) {
        raise(ErrorNumber::TypeMismatch);
    }
    return value;
}

std::int16_t roundToInt16(double value) {
    return roundChecked<std::int16_t>(value);
}
std::int32_t roundToInt32(double value) {
    return roundChecked<std::int32_t>(value);
}

std::int16_t toInt16(std::string_view text) {
    return roundToInt16(toDouble(text));
}
std::int32_t toInt32(std::string_view text) {
    return roundToInt32(toDouble(text));
}

std::string decimalText(std::int64_t value) {
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)error;
    return std::string(buffer, end);
}

std::string signedText(std::int64_t value) {
    return value < 0 ? decimalText(value) : " " + decimalText(value);
}

}  // namespace annalex
