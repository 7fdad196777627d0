#include "common/split_line.hpp"

#include "common/checked_int.hpp"
#include "common/failure.hpp"

namespace annalex {

const std::string& LineFields::operator[](std::int32_t index) const {
    if (index < 1 || static_cast<std::size_t>(index) > fields_.size()) {
        raise(ErrorNumber::SubscriptOutOfRange);
    }
    return fields_[static_cast<std::size_t>(index - 1)];
}

std::int16_t splitLine(std::string_view line, std::string_view separator, LineFields& elements) {
    elements.clear();
    if (separator.empty()) {
        elements.push(std::string(line));
        return 1;
    }
    // A separator is appended unless the line already ends with one; every field then ends
    // with a separator. (Appending can form a match across the old end of the line with a
    // multi-character separator; that is part of the rule.)
    std::string work(line);
    if (!work.ends_with(separator)) {
        work.append(separator);
    }
    Int16 count = 0;
    std::string_view rest = work;
    for (std::size_t at = rest.find(separator); at != std::string_view::npos;
         at = rest.find(separator)) {
        elements.push(std::string(rest.substr(0, at)));
        rest.remove_prefix(at + separator.size());
        ++count;
    }
    return count;
}

}  // namespace annalex
