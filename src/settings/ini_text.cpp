#include "settings/ini_text.hpp"

#include "settings/hive.hpp"

namespace annalex::settings::ini {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    return foldName(a) == foldName(b);
}

struct Line {
    std::string_view content;  // without its line ending
    std::size_t begin = 0;     // offset of the line in the text
    std::size_t end = 0;       // offset just past its line ending
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t start = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (start < text.size()) {
        auto newline = text.find('\n', start);
        const auto end = newline == std::string_view::npos ? text.size() : newline + 1;
        auto content =
            text.substr(start, (newline == std::string_view::npos ? end : newline) - start);
        if (!content.empty() && content.back() == '\r') {
            content.remove_suffix(1);
        }
        lines.push_back(Line{content, start, end});
        start = end;
    }
    return lines;
}

std::optional<std::string_view> headerName(std::string_view line) {
    const auto trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() != '[') {
        return std::nullopt;
    }
    const auto close = trimmed.find(']');
    return trim(trimmed.substr(1, close == std::string_view::npos ? close : close - 1));
}

bool isComment(std::string_view line) {
    const auto trimmed = trim(line);
    return !trimmed.empty() && trimmed.front() == ';';
}

// The key of an entry line, or nullopt for lines that are not entries.
std::optional<std::string_view> entryKey(std::string_view line) {
    if (isComment(line) || headerName(line)) {
        return std::nullopt;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return trim(line.substr(0, equals));
}

std::string_view entryValue(std::string_view line) {
    return trim(line.substr(line.find('=') + 1));
}

// Index range [first, last) of the lines in the first section named section; first is the
// header's index plus one. nullopt when there is no such section.
std::optional<std::pair<std::size_t, std::size_t>> findSection(const std::vector<Line>& lines,
                                                               std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = headerName(lines[i].content);
        if (!name || !sameName(*name, section)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < lines.size() && !headerName(lines[end].content)) {
            ++end;
        }
        return std::pair{i + 1, end};
    }
    return std::nullopt;
}

std::string_view newlineOf(std::string_view text) {
    const auto newline = text.find('\n');
    return newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r' ? "\r\n"
                                                                                         : "\n";
}

}  // namespace

std::optional<std::string> findValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
    const auto lines = splitLines(text);
    const auto range = findSection(lines, section);
    if (!range) {
        return std::nullopt;
    }
    for (auto i = range->first; i < range->second; ++i) {
        const auto entry = entryKey(lines[i].content);
        if (!entry || !sameName(*entry, key)) {
            continue;
        }
        auto value = entryValue(lines[i].content);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return std::string(value);
    }
    return std::nullopt;
}

std::vector<std::string> sectionLines(std::string_view text, std::string_view section) {
    std::vector<std::string> result;
    const auto lines = splitLines(text);
    const auto range = findSection(lines, section);
    if (!range) {
        return result;
    }
    for (auto i = range->first; i < range->second; ++i) {
        const auto line = trim(lines[i].content);
        if (line.empty() || isComment(line)) {
            continue;
        }
        if (const auto entry = entryKey(line)) {
            result.push_back(std::string(*entry) + "=" + std::string(entryValue(line)));
        } else {
            result.emplace_back(line);
        }
    }
    return result;
}

std::optional<std::string> unwritableText(std::string_view section, std::string_view key,
                                          std::string_view value) {
    auto hasLineBreak = [](std::string_view text) {
        return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
    };
    auto padded = [](std::string_view text) { return trim(text).size() != text.size(); };
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value)) {
        return "a line break or NUL in the section, key or value would start a line of its own";
    }
    if (trim(section).empty() || padded(section) || section.find(']') != std::string_view::npos) {
        return "the section name '" + std::string(section) +
               "' is empty, holds ']' or has blanks at either end";
    }
    if (trim(key).empty() || padded(key) || key.find('=') != std::string_view::npos ||
        key.front() == ';' || key.front() == '[') {
        return "the key '" + std::string(key) +
               "' is empty, holds '=', starts with ';' or '[' or has blanks at either end";
    }
    return std::nullopt;
}

std::string entryText(std::string_view value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (trim(value).size() != value.size() || quoted) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
    const auto newline = newlineOf(text);
    const auto lines = splitLines(text);
    const auto range = findSection(lines, section);
    if (!range) {
        std::string result(text);
        if (!result.empty() && result.back() != '\n') {
            result += newline;
        }
        result.append("[").append(section).append("]").append(newline);
        result.append(key).append("=").append(value).append(newline);
        return result;
    }
    // Replace the entry's line, keeping the key as it was spelled and the line's ending.
    for (auto i = range->first; i < range->second; ++i) {
        const auto& line = lines[i];
        const auto entry = entryKey(line.content);
        if (!entry || !sameName(*entry, key)) {
            continue;
        }
        std::string result(text.substr(0, line.begin));
        result.append(*entry).append("=").append(value);
        result.append(text.substr(line.begin + line.content.size(),
                                  line.end - line.begin - line.content.size()));
        result.append(text.substr(line.end));
        return result;
    }
    // Insert after the section's last non-blank line (the header when the section is empty).
    auto after = range->first - 1;
    for (auto i = range->first; i < range->second; ++i) {
        if (!trim(lines[i].content).empty()) {
            after = i;
        }
    }
    const auto& anchor = lines[after];
    std::string result(text.substr(0, anchor.end));
    if (anchor.end == text.size() && (text.empty() || text.back() != '\n')) {
        result += newline;
    }
    result.append(key).append("=").append(value).append(newline);
    result.append(text.substr(anchor.end));
    return result;
}

}  // namespace annalex::settings::ini
