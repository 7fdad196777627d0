#include "settings/hive.hpp"

#include <algorithm>
#include <cctype>
#include <set>

namespace annalex::settings {

namespace {

bool isControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

constexpr char kHexDigits[] = "0123456789abcdef";

void appendHexByte(std::string& out, unsigned char byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0f];
}

// Reads a quoted text starting at text[pos] == '"'; on success pos is past the closing quote.
std::optional<std::string> readQuoted(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') {
        return std::nullopt;
    }
    std::string result;
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return result;
        }
        if (isControl(c)) {
            return std::nullopt;
        }
        if (c != '\\') {
            result += c;
            continue;
        }
        if (i + 1 >= text.size()) {
            return std::nullopt;
        }
        const char e = text[++i];
        if (e == '\\' || e == '"') {
            result += e;
        } else if (e == 'x' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
                   hexDigit(text[i + 2]) >= 0) {
            result += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (isControl(c)) {
            out += "\\x";
            appendHexByte(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    out += '"';
}

// "aa,bb,cc" (possibly empty) into bytes.
std::optional<std::string> readHexBytes(std::string_view text) {
    std::string bytes;
    if (text.empty()) {
        return bytes;
    }
    std::size_t pos = 0;
    while (true) {
        if (pos + 2 > text.size() || hexDigit(text[pos]) < 0 || hexDigit(text[pos + 1]) < 0) {
            return std::nullopt;
        }
        bytes += static_cast<char>(hexDigit(text[pos]) * 16 + hexDigit(text[pos + 1]));
        pos += 2;
        if (pos == text.size()) {
            return bytes;
        }
        if (text[pos] != ',') {
            return std::nullopt;
        }
        ++pos;
    }
}

// The data part of a value line (after '=').
std::optional<HiveValue> readData(std::string_view text) {
    HiveValue value;
    if (!text.empty() && text.front() == '"') {
        std::size_t pos = 0;
        auto str = readQuoted(text, pos);
        if (!str || pos != text.size()) {
            return std::nullopt;
        }
        value.type = 1;
        value.data = std::move(*str) + '\0';
        return value;
    }
    if (text.starts_with("dword:")) {
        const auto digits = text.substr(6);
        if (digits.size() != 8 ||
            !std::ranges::all_of(digits, [](char c) { return hexDigit(c) >= 0; })) {
            return std::nullopt;
        }
        std::uint32_t number = 0;
        for (const char c : digits) {
            number = number * 16 + static_cast<std::uint32_t>(hexDigit(c));
        }
        value.type = 4;
        for (int i = 0; i < 4; ++i) {
            value.data += static_cast<char>((number >> (8 * i)) & 0xff);
        }
        return value;
    }
    std::string_view bytes;
    if (text.starts_with("hex:")) {
        value.type = 3;
        bytes = text.substr(4);
    } else if (text.starts_with("hex(")) {
        const auto close = text.find("):");
        const auto digits = text.substr(4, close == std::string_view::npos ? 0 : close - 4);
        if (digits.empty() || digits.size() > 10 ||
            !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        std::uint64_t type = 0;
        for (const char c : digits) {
            type = type * 10 + static_cast<std::uint64_t>(c - '0');
        }
        if (type > 0xffffffffu) {
            return std::nullopt;
        }
        value.type = static_cast<std::uint32_t>(type);
        bytes = text.substr(close + 2);
    } else {
        return std::nullopt;
    }
    auto data = readHexBytes(bytes);
    if (!data) {
        return std::nullopt;
    }
    value.data = std::move(*data);
    return value;
}

void appendData(std::string& out, const HiveValue& value) {
    const auto& data = value.data;
    if (value.type == 1 && !data.empty() && data.find('\0') == data.size() - 1) {
        appendQuoted(out, std::string_view(data).substr(0, data.size() - 1));
        return;
    }
    if (value.type == 4 && data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) {
            number = number * 256 + static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
        }
        out += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4) {
            out += kHexDigits[(number >> shift) & 0x0f];
        }
        return;
    }
    out += value.type == 3 ? "hex:" : "hex(" + std::to_string(value.type) + "):";
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        appendHexByte(out, static_cast<unsigned char>(data[i]));
    }
}

void appendKey(std::string& out, const HiveKey& key, const std::string& path) {
    // A key that holds only subkeys is implied by their headers.
    if (!path.empty() && (!key.values().empty() || key.subkeys().empty())) {
        out += '[';
        out += path;
        out += "]\n";
    }
    for (const auto& value : key.values()) {
        appendQuoted(out, value.name);
        out += '=';
        appendData(out, value);
        out += '\n';
    }
    for (const auto& [folded, child] : key.subkeys()) {
        appendKey(out, *child, path.empty() ? child->name() : path + '\\' + child->name());
    }
}

}  // namespace

std::string foldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return folded;
}

HiveKey* HiveKey::subkey(std::string_view name) const {
    const auto it = subkeys_.find(foldName(name));
    return it == subkeys_.end() ? nullptr : it->second.get();
}

HiveKey& HiveKey::addSubkey(std::string_view name) {
    auto& slot = subkeys_[foldName(name)];
    if (!slot) {
        slot = std::make_unique<HiveKey>(std::string(name));
    }
    return *slot;
}

bool HiveKey::removeSubkey(std::string_view name) {
    return subkeys_.erase(foldName(name)) > 0;
}

const HiveValue* HiveKey::value(std::string_view name) const {
    const auto it = valueIndex_.find(foldName(name));
    return it == valueIndex_.end() ? nullptr : &values_[it->second];
}

void HiveKey::setValue(std::string_view name, std::uint32_t type, std::string data) {
    auto folded = foldName(name);
    if (const auto it = valueIndex_.find(folded); it != valueIndex_.end()) {
        values_[it->second].type = type;
        values_[it->second].data = std::move(data);
        return;
    }
    values_.push_back(HiveValue{std::string(name), type, std::move(data)});
    valueIndex_.emplace(std::move(folded), values_.size() - 1);
}

bool HiveKey::removeValue(std::string_view name) {
    const auto it = valueIndex_.find(foldName(name));
    if (it == valueIndex_.end()) {
        return false;
    }
    const std::size_t position = it->second;
    valueIndex_.erase(it);
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(position));
    for (auto& [folded, at] : valueIndex_) {
        if (at > position) {
            --at;
        }
    }
    return true;
}

bool operator==(const HiveKey& a, const HiveKey& b) {
    if (a.name_ != b.name_ || a.values_ != b.values_ || a.subkeys_.size() != b.subkeys_.size()) {
        return false;
    }
    return std::ranges::equal(a.subkeys_, b.subkeys_, [](const auto& x, const auto& y) {
        return x.first == y.first && *x.second == *y.second;
    });
}

std::optional<std::vector<std::string>> splitKeyPath(std::string_view path) {
    std::vector<std::string> names;
    if (path.empty()) {
        return names;
    }
    std::size_t start = 0;
    while (true) {
        const auto end = path.find('\\', start);
        const auto name = path.substr(start, end == std::string_view::npos ? end : end - start);
        if (name.empty() || name.size() > kMaxKeyNameLength ||
            std::ranges::any_of(name, isControl) || names.size() == kMaxKeyDepth) {
            return std::nullopt;
        }
        names.emplace_back(name);
        if (end == std::string_view::npos) {
            return names;
        }
        start = end + 1;
    }
}

HiveKey* findKey(HiveKey& root, const std::vector<std::string>& path) {
    HiveKey* key = &root;
    for (const auto& name : path) {
        key = key->subkey(name);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

const HiveKey* findKey(const HiveKey& root, const std::vector<std::string>& path) {
    const HiveKey* key = &root;
    for (const auto& name : path) {
        key = key->subkey(name);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

namespace {

constexpr std::string_view kTrailerStart = "; end of hive: ";
constexpr std::string_view kTrailerEnd = " bytes";

std::string trailerFor(std::size_t length) {
    return std::string(kTrailerStart) + std::to_string(length) + std::string(kTrailerEnd) + "\n";
}

// The text before the trailer of a version 2 hive, or nullopt when its last line is not the
// trailer that gives that text's length.
std::optional<std::string_view> bodyBeforeTrailer(std::string_view text) {
    if (text.empty() || text.back() != '\n') {
        return std::nullopt;
    }
    const auto lastLine = text.rfind('\n', text.size() - 2);
    if (lastLine == std::string_view::npos) {
        return std::nullopt;
    }
    const auto body = text.substr(0, lastLine + 1);
    if (text.substr(lastLine + 1) != trailerFor(body.size())) {
        return std::nullopt;
    }
    return body;
}

}  // namespace

std::optional<HiveKey> parseHive(std::string_view text) {
    if (text.starts_with(kHiveFirstLine)) {
        const auto body = bodyBeforeTrailer(text);
        if (!body) {
            return std::nullopt;  // cut short, or changed without its trailer
        }
        text = *body;
    }
    HiveKey root;
    HiveKey* current = &root;
    std::set<std::string> seenKeys;  // folded paths of headers, to refuse duplicates
    bool first = true;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        auto line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (first) {
            if (line != kHiveFirstLine && line != kHiveFirstLineVersion1) {
                return std::nullopt;
            }
            first = false;
            continue;
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            if (line.size() < 3 || line.back() != ']') {
                return std::nullopt;
            }
            const auto path = splitKeyPath(line.substr(1, line.size() - 2));
            if (!path) {
                return std::nullopt;
            }
            auto folded = foldName(line.substr(1, line.size() - 2));
            if (!seenKeys.insert(std::move(folded)).second) {
                return std::nullopt;
            }
            current = &root;
            for (const auto& name : *path) {
                current = &current->addSubkey(name);
            }
            continue;
        }
        std::size_t pos = 0;
        auto name = readQuoted(line, pos);
        if (!name || pos >= line.size() || line[pos] != '=') {
            return std::nullopt;
        }
        auto value = readData(line.substr(pos + 1));
        if (!value || current->value(*name) != nullptr) {
            return std::nullopt;
        }
        current->setValue(*name, value->type, std::move(value->data));
    }
    if (first) {
        return std::nullopt;
    }
    return root;
}

std::string writeHive(const HiveKey& root) {
    std::string out(kHiveFirstLine);
    out += '\n';
    appendKey(out, root, {});
    out += trailerFor(out.size());
    return out;
}

}  // namespace annalex::settings
