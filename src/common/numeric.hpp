#pragma once
// Text and number conversions shared by every part of the product.
//
// One rule set is used everywhere a text becomes a number:
//  * the numeric test accepts optional surrounding blanks, an optional sign, digits with at most
//    one decimal point (at least one digit in all), and an optional exponent ("e" or "E", an
//    optional sign, one or more digits). The empty text and anything else are not numeric.
//  * conversion to a 16- or 32-bit integer rounds to the nearest whole number, halves to the
//    even neighbour (2.5 -> 2, 3.5 -> 4), then checks the range.
//  * a text that is not numeric raises TypeMismatch; a value out of range raises Overflow.

#include <cstdint>
#include <string>
#include <string_view>

namespace annalex {

bool isNumeric(std::string_view text);

// The numeric value of text; TypeMismatch when the text is not numeric.
double toDouble(std::string_view text);

// Rounds halves to the even neighbour and checks the range; Overflow outside it.
std::int16_t roundToInt16(double value);
std::int32_t roundToInt32(double value);

std::int16_t toInt16(std::string_view text);
std::int32_t toInt32(std::string_view text);

// Plain decimal digits, a leading "-" for negative numbers, no blanks: "2001", "-5".
std::string decimalText(std::int64_t value);

// Decimal text with a reserved sign position: one blank before a non-negative number, "-"
// before a negative one (" 2001", "-5"). Year suffixes are written this way.
std::string signedText(std::int64_t value);

}  // namespace annalex
