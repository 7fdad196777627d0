#include "cube/dimension_export.hpp"

#include <charconv>
#include <cstdio>
#include <vector>

namespace annalex::cube {
namespace {

// Hands the lines of a walk to the stream in pieces of about kPiece bytes: a stream call per
// member costs more than making the member's line.
class LineBuffer {
  public:
    explicit LineBuffer(std::ostream& out) : out_(out) { text_.reserve(kPiece + kPiece / 4); }
    void append(std::string_view line) {
        text_ += line;
        if (text_.size() >= kPiece) {
            flush();
        }
    }
    void flush() {
        out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
        text_.clear();
    }

  private:
    static constexpr std::size_t kPiece = 256 * 1024;
    std::ostream& out_;
    std::string text_;
};

void appendNumber(std::string& text, std::int32_t number) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    text.append(digits, end);
}

void writeJsonLines(const MemoryHierarchy& hierarchy, std::ostream& out, const MemberDates& dates) {
    out << R"({"kind":"hierarchy","name":)" << jsonString(hierarchy.name()) << "}\n";
    for (std::size_t i = 0; i < hierarchy.levelCount(); ++i) {
        const MemoryLevel& level = hierarchy.level(i);
        out << R"({"kind":"level","name":)" << jsonString(level.name()) << R"(,"type":)"
            << level.type() << R"(,"attributes":[)";
        bool first = true;
        for (const auto& def : level.attributeDefs()) {
            out << (first ? "" : ",") << '[' << jsonString(def->key()) << ','
                << jsonString(def->caption()) << ']';
            first = false;
        }
        out << "]}\n";
    }
    std::string line;
    LineBuffer buffer(out);
    hierarchy.walkPreOrder([&](const MemberView& member, int) {
        line.assign(R"({"kind":"member","level":)");
        line += jsonString(hierarchy.level(member.levelPosition()).name());
        line += R"(,"name":)";
        line += jsonString(member.name());
        line += R"(,"order":)";
        appendNumber(line, member.order());
        line += R"(,"parent":)";
        line += member.parent() == kNoMember ? std::string("null")
                                             : jsonString(hierarchy.member(member.parent()).name());
        if (dates) {
            const auto span = dates(hierarchy.level(member.levelPosition()).name(), member.name());
            line += R"(,"first":)";
            line += span ? jsonString(span->first) : std::string("null");
            line += R"(,"last":)";
            line += span ? jsonString(span->second) : std::string("null");
        }
        line += R"(,"attributes":{)";
        bool first = true;
        hierarchy.forEachAttribute(member.id, [&](std::string_view key, std::string_view value) {
            line += first ? "" : ",";
            line += jsonString(key);
            line += ':';
            line += jsonString(value);
            first = false;
        });
        line += "}}\n";
        buffer.append(line);
    });
    buffer.flush();
}

void writeCsv(const MemoryHierarchy& hierarchy, std::ostream& out, const MemberDates& dates) {
    // One column per attribute key of the levels, in schema order; a key shared by two levels
    // gets one column.
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < hierarchy.levelCount(); ++i) {
        for (const auto& def : hierarchy.level(i).attributeDefs()) {
            bool present = false;
            for (const auto& key : keys) {
                present = present || key == def->key();
            }
            if (!present) {
                keys.push_back(def->key());
            }
        }
    }
    out << "level,name,order,parent,path" << (dates ? ",first,last" : "");
    for (const auto& key : keys) {
        out << ',' << csvField(key);
    }
    out << "\r\n";

    std::vector<std::string> path;  // names from the top down to the current member
    std::vector<std::string> values(keys.size());
    std::string line;
    LineBuffer buffer(out);
    hierarchy.walkPreOrder([&](const MemberView& member, int depth) {
        path.resize(static_cast<std::size_t>(depth));
        path.emplace_back(member.name());
        std::string joined;
        for (std::size_t i = 0; i < path.size(); ++i) {
            joined += i == 0 ? "" : "/";
            joined += path[i];
        }
        for (auto& value : values) {
            value.clear();
        }
        hierarchy.forEachAttribute(member.id, [&](std::string_view key, std::string_view value) {
            for (std::size_t k = 0; k < keys.size(); ++k) {
                if (keys[k] == key) {
                    values[k].assign(value);
                }
            }
        });
        line = csvField(hierarchy.level(member.levelPosition()).name());
        line += ',';
        line += csvField(member.name());
        line += ',';
        appendNumber(line, member.order());
        line += ',';
        if (member.parent() != kNoMember) {
            line += csvField(hierarchy.member(member.parent()).name());
        }
        line += ',';
        line += csvField(joined);
        if (dates) {
            const auto span = dates(hierarchy.level(member.levelPosition()).name(), member.name());
            line += ',';
            line += span ? span->first : std::string();
            line += ',';
            line += span ? span->second : std::string();
        }
        for (const auto& value : values) {
            line += ',';
            line += csvField(value);
        }
        line += "\r\n";
        buffer.append(line);
    });
    buffer.flush();
}

void writeTree(const MemoryHierarchy& hierarchy, std::ostream& out) {
    out << "Hierarchy " << hierarchy.name() << '\n';
    for (std::size_t i = 0; i < hierarchy.levelCount(); ++i) {
        const MemoryLevel& level = hierarchy.level(i);
        out << "  Level " << (i + 1) << ": " << level.name() << " (type " << level.type();
        if (!level.attributeDefs().empty()) {
            out << "; attributes";
            for (const auto& def : level.attributeDefs()) {
                out << ' ' << def->key() << " \"" << def->caption() << '"';
            }
        }
        out << ")\n";
    }
    out << "Members\n";
    std::string line;
    LineBuffer buffer(out);
    hierarchy.walkPreOrder([&](const MemberView& member, int depth) {
        line.assign(static_cast<std::size_t>(depth + 1) * 2, ' ');
        line += member.name();
        line += "  [";
        line += hierarchy.level(member.levelPosition()).name();
        line += " #";
        appendNumber(line, member.order());
        line += ']';
        if (member.record->firstAttribute != kNoAttribute) {
            hierarchy.forEachAttribute(member.id,
                                       [&](std::string_view key, std::string_view value) {
                                           line += ' ';
                                           line += key;
                                           line += '=';
                                           line += value;
                                       });
        }
        line += '\n';
        buffer.append(line);
    });
    buffer.flush();
}

}  // namespace

void writeDimension(const MemoryDimension& dimension, ExportFormat format, std::ostream& out,
                    const MemberDates& dates) {
    for (const auto& hierarchy : dimension.hierarchies()) {
        switch (format) {
            case ExportFormat::JsonLines:
                writeJsonLines(*hierarchy, out, dates);
                break;
            case ExportFormat::Csv:
                writeCsv(*hierarchy, out, dates);
                break;
            case ExportFormat::Tree:
                writeTree(*hierarchy, out);
                break;
        }
    }
}

std::string jsonString(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    for (const char c : text) {
        switch (c) {
            case '"':
                result += "\\\"";
                break;
            case '\\':
                result += "\\\\";
                break;
            case '\n':
                result += "\\n";
                break;
            case '\r':
                result += "\\r";
                break;
            case '\t':
                result += "\\t";
                break;
            case '\b':
                result += "\\b";
                break;
            case '\f':
                result += "\\f";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x",
                                  static_cast<unsigned>(static_cast<unsigned char>(c)));
                    result += escaped;
                } else {
                    result += c;
                }
        }
    }
    result += '"';
    return result;
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string result = "\"";
    for (const char c : text) {
        result += c;
        if (c == '"') {
            result += '"';
        }
    }
    result += '"';
    return result;
}

}  // namespace annalex::cube
