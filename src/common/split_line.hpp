#pragma once
// splitLine: the one text splitter of the product.
//
// Cuts a line into the fields between occurrences of a separator. Fields are numbered from 1.
//  * A line that ends with the separator gets nothing appended, so a trailing separator never
//    yields an empty last field ("a-b-" gives a, b).
//  * Adjacent separators give empty fields ("a--b" gives a, "", b); fields are not trimmed.
//  * A multi-character separator is matched as a whole, left to right, without overlap.
//  * An empty line gives one empty field; a line without separator gives itself.
//  * An empty separator would match everywhere; it is taken to mean "do not split": the whole
//    line is the single field. No caller passes one.
//  * More than 32767 fields overflow the 16-bit count and raise Overflow.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace annalex {

// The fields of a split line, indexed from 1 to count().
class LineFields {
  public:
    std::int16_t count() const { return static_cast<std::int16_t>(fields_.size()); }
    // Field at a 1-based index; SubscriptOutOfRange outside 1..count().
    const std::string& operator[](std::int32_t index) const;

    void clear() { fields_.clear(); }
    void push(std::string field) { fields_.push_back(std::move(field)); }

  private:
    std::vector<std::string> fields_;
};

// Splits line at separator into elements (whatever it held is discarded) and returns the
// number of fields, at least 1.
std::int16_t splitLine(std::string_view line, std::string_view separator, LineFields& elements);

}  // namespace annalex
