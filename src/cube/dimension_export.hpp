#pragma once
// Writes a dimension of the in-memory model as text: every hierarchy with its levels (name,
// type code, attribute definitions) and its members in pre-order (parent before children,
// children in placement order) with their attribute values in the order they were set.
//
//  * JSON lines: one object per line: the hierarchy, then each level in position order, then
//    each member: {"kind":"member","level":"Year","name":"2001","order":0,"parent":null,
//    "attributes":{"YearLeapYear":"No",...}}. A child's "parent" is its parent's name.
//  * CSV (RFC 4180, CRLF line ends, a header row): level, name, order, parent, path (the names
//    from the top member down to this one joined by "/"), then one column per attribute key of
//    the hierarchy's levels in schema order.
//  * Tree: an indented outline for a person, attribute values beside each member.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "cube/memory_model.hpp"

namespace annalex::cube {

enum class ExportFormat { JsonLines, Csv, Tree };

// A member's first and last day as ISO dates, looked up by its level's and its own name;
// nothing when unknown.
using MemberDates = std::function<std::optional<std::pair<std::string, std::string>>(
    std::string_view level, std::string_view name)>;

// With dates, each JSON line gets "first" and "last" after "parent" (null when unknown) and
// the CSV two columns first, last after path; without, the output is as described above.
void writeDimension(const MemoryDimension& dimension, ExportFormat format, std::ostream& out,
                    const MemberDates& dates = {});

// JSON string literal of text (quotes included), escaping quotes, backslashes and control
// characters; other bytes pass through unchanged.
std::string jsonString(std::string_view text);
// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string csvField(std::string_view text);
// The same, appended to out.
void appendCsvField(std::string& out, std::string_view text);

}  // namespace annalex::cube
