#include "cube/dimension_export.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/side_by_side.hpp"

namespace annalex::cube {
namespace {

// Collects the lines of a walk and hands them to the stream in pieces of about kPiece bytes:
// a stream call per member costs more than making the member's line. A line is written
// through a cursor into room asked for beforehand, for as many bytes as it can take at most,
// so that its many small pieces are copied without a check each.
//
// Without a stream the lines stay in the buffer until taken: a piece of a walk formatted apart.
class LineBuffer {
  public:
    explicit LineBuffer(std::ostream* out) : out_(out), buffer_(kPiece + kPiece / 4) {}
    // A cursor with at least bytes of room after it.
    char* room(std::size_t bytes) {
        if (buffer_.size() - used_ < bytes) {
            buffer_.resize(used_ + bytes + kPiece / 4);
        }
        return buffer_.data() + used_;
    }
    // The line written from room() ends at end.
    void lineDone(const char* end) {
        used_ = static_cast<std::size_t>(end - buffer_.data());
        if (used_ >= kPiece && out_ != nullptr) {
            flush();
        }
    }
    void append(std::string_view line) { lineDone(put(room(line.size()), line)); }
    void flush() {
        out_->write(buffer_.data(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }
    // Writes the lines held to out and forgets them.
    void writeTo(std::ostream& out) {
        out.write(buffer_.data(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

    // Copies text to at. Pieces are mostly short (a key, a number, a date), so those are
    // copied as two overlapping words each way rather than through a call.
    static char* put(char* at, std::string_view text) {
        const char* from = text.data();
        const std::size_t size = text.size();
        if (size >= 8 && size <= 32) {
            if (size <= 16) {
                copyFixed<8>(at, from);
                copyFixed<8>(at + size - 8, from + size - 8);
            } else {
                copyFixed<16>(at, from);
                copyFixed<16>(at + size - 16, from + size - 16);
            }
        } else if (size >= 4 && size < 8) {
            copyFixed<4>(at, from);
            copyFixed<4>(at + size - 4, from + size - 4);
        } else if (size > 0 && size < 4) {
            at[0] = from[0];
            at[size / 2] = from[size / 2];
            at[size - 1] = from[size - 1];
        } else if (size > 32) {
            std::memcpy(at, from, size);
        }
        return at + size;
    }

  private:
    template <std::size_t N>
    static void copyFixed(char* to, const char* from) {
        char word[N];
        std::memcpy(word, from, N);
        std::memcpy(to, word, N);
    }

    static constexpr std::size_t kPiece = 256 * 1024;
    std::ostream* out_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

void appendNumber(std::string& text, std::int32_t number) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    text.append(digits, end);
}

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    std::size_t plain = 0;  // the start of the characters not yet written
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char* escape = nullptr;
        switch (c) {
            case '"':
                escape = "\\\"";
                break;
            case '\\':
                escape = "\\\\";
                break;
            case '\n':
                escape = "\\n";
                break;
            case '\r':
                escape = "\\r";
                break;
            case '\t':
                escape = "\\t";
                break;
            case '\b':
                escape = "\\b";
                break;
            case '\f':
                escape = "\\f";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20) {
                    continue;
                }
        }
        out.append(text.substr(plain, i - plain));
        plain = i + 1;
        if (escape != nullptr) {
            out += escape;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x",
                          static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += escaped;
        }
    }
    out.append(text.substr(plain));
    out += '"';
}

void writeJsonLines(const MemoryHierarchy& hierarchy, std::ostream& out, const MemberDates& dates) {
    out << R"({"kind":"hierarchy","name":)" << jsonString(hierarchy.name()) << "}\n";
    // Per level: its name as JSON, and each definition's key as a JSON member name.
    std::vector<std::string> levelNames;
    std::vector<std::vector<std::string>> keyNames;
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
        levelNames.push_back(jsonString(level.name()));
        keyNames.emplace_back();
        for (const auto& def : level.attributeDefs()) {
            keyNames.back().push_back(jsonString(def->key()) + ':');
        }
    }
    std::string line;
    LineBuffer buffer(&out);
    hierarchy.walkPreOrder([&](const MemberView& member, int) {
        line.assign(R"({"kind":"member","level":)");
        line += levelNames[member.levelPosition()];
        line += R"(,"name":)";
        appendJsonString(line, member.name());
        line += R"(,"order":)";
        appendNumber(line, member.order());
        line += R"(,"parent":)";
        if (member.parent() == kNoMember) {
            line += "null";
        } else {
            appendJsonString(line, hierarchy.member(member.parent()).name());
        }
        if (dates) {
            const auto span = dates(hierarchy.level(member.levelPosition()).name(), member.name());
            line += R"(,"first":)";
            line += span ? jsonString(span->first) : std::string("null");
            line += R"(,"last":)";
            line += span ? jsonString(span->second) : std::string("null");
        }
        line += R"(,"attributes":{)";
        const auto& keys = keyNames[member.levelPosition()];
        bool first = true;
        hierarchy.visitAttributeValues(member.id, [&](std::uint16_t key, std::string_view value) {
            if (!first) {
                line += ',';
            }
            line += keys[key];
            appendJsonString(line, value);
            first = false;
        });
        line += "}}\n";
        buffer.append(line);
    });
    buffer.flush();
}

void writeCsv(const MemoryHierarchy& hierarchy, std::ostream& out, const MemberDates& dates) {
    // One column per attribute key of the levels, in schema order; a key shared by two levels
    // gets one column. columnOf: per level, the column of each definition.
    std::vector<std::string> keys;
    std::vector<std::vector<std::size_t>> columnOf(hierarchy.levelCount());
    for (std::size_t i = 0; i < hierarchy.levelCount(); ++i) {
        for (const auto& def : hierarchy.level(i).attributeDefs()) {
            std::size_t column = 0;
            while (column < keys.size() && keys[column] != def->key()) {
                ++column;
            }
            if (column == keys.size()) {
                keys.push_back(def->key());
            }
            columnOf[i].push_back(column);
        }
    }
    out << "level,name,order,parent,path" << (dates ? ",first,last" : "");
    for (const auto& key : keys) {
        out << ',' << csvField(key);
    }
    out << "\r\n";

    std::vector<std::string> path;  // names from the top down to the current member
    std::string joined;
    std::vector<std::string_view> values(keys.size());
    std::string line;
    LineBuffer buffer(&out);
    hierarchy.walkPreOrder([&](const MemberView& member, int depth) {
        path.resize(static_cast<std::size_t>(depth) + 1);
        path.back().assign(member.name());
        joined.clear();
        for (std::size_t i = 0; i < path.size(); ++i) {
            if (i != 0) {
                joined += '/';
            }
            joined += path[i];
        }
        for (auto& value : values) {
            value = {};
        }
        const auto& columns = columnOf[member.levelPosition()];
        hierarchy.visitAttributeValues(member.id, [&](std::uint16_t key, std::string_view value) {
            values[columns[key]] = value;
        });
        line.clear();
        appendCsvField(line, hierarchy.level(member.levelPosition()).name());
        line += ',';
        appendCsvField(line, member.name());
        line += ',';
        appendNumber(line, member.order());
        line += ',';
        if (member.parent() != kNoMember) {
            appendCsvField(line, hierarchy.member(member.parent()).name());
        }
        line += ',';
        appendCsvField(line, joined);
        if (dates) {
            const auto span = dates(hierarchy.level(member.levelPosition()).name(), member.name());
            line += ',';
            line += span ? span->first : std::string();
            line += ',';
            line += span ? span->second : std::string();
        }
        for (const std::string_view value : values) {
            line += ',';
            appendCsvField(line, value);
        }
        line += "\r\n";
        buffer.append(line);
    });
    buffer.flush();
}

void writeTree(const MemoryHierarchy& hierarchy, std::ostream& out) {
    out << "Hierarchy " << hierarchy.name() << '\n';
    // Per level: " key=" for each definition, what goes before its values, and the most all
    // of them with their longest values take.
    std::vector<std::vector<std::string>> keyTexts;
    std::vector<std::size_t> mostValueBytes;
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
        keyTexts.emplace_back();
        mostValueBytes.push_back(0);
        const LevelAttributes& values = hierarchy.store()->levelAttributes(i);
        for (std::size_t d = 0; d < level.attributeDefs().size(); ++d) {
            keyTexts.back().push_back(' ' + level.attributeDefs()[d]->key() + '=');
            mostValueBytes.back() +=
                keyTexts.back().back().size() + values.longestValue(static_cast<std::uint16_t>(d));
        }
    }
    out << "Members\n";
    constexpr std::size_t kMostNumberBytes = 11;
    const auto writeLine = [&](LineBuffer& buffer, const MemberView& member, int depth) {
        const std::size_t level = member.levelPosition();
        const std::string& levelName = hierarchy.level(level).name();
        const auto indent = static_cast<std::size_t>(depth + 1) * 2;
        char* at = buffer.room(indent + member.name().size() + levelName.size() + kMostNumberBytes +
                               mostValueBytes[level] + 8);
        at = std::fill_n(at, indent, ' ');
        at = LineBuffer::put(at, member.name());
        at = LineBuffer::put(at, "  [");
        at = LineBuffer::put(at, levelName);
        at = LineBuffer::put(at, " #");
        at = std::to_chars(at, at + kMostNumberBytes, member.order()).ptr;
        *at++ = ']';
        const auto& keys = keyTexts[level];
        hierarchy.visitAttributeValues(member.id, [&](std::uint16_t key, std::string_view value) {
            at = LineBuffer::put(at, keys[key]);
            at = LineBuffer::put(at, value);
        });
        *at++ = '\n';
        buffer.lineDone(at);
    };
    // The walk is cut into pieces of kPieceMembers members; a round of pieces, one per core, is
    // formatted side by side and written out in order. The hierarchy is only read meanwhile.
    constexpr std::size_t kPieceMembers = 4096;
    struct Step {
        std::uint32_t id;
        int depth;
    };
    const std::size_t parts = sideBySideParts();
    std::vector<std::vector<Step>> pieces(parts);
    std::vector<LineBuffer> texts(parts, LineBuffer(nullptr));
    std::size_t filled = 0;  // whole pieces in this round
    const auto writeRound = [&] {
        const std::size_t count = filled < parts && !pieces[filled].empty() ? filled + 1 : filled;
        runSideBySide(count, [&](std::size_t part) {
            for (const Step& step : pieces[part]) {
                writeLine(texts[part], hierarchy.member(step.id), step.depth);
            }
        });
        for (std::size_t part = 0; part < count; ++part) {
            texts[part].writeTo(out);
            pieces[part].clear();
        }
        filled = 0;
    };
    hierarchy.walkPreOrder([&](const MemberView& member, int depth) {
        pieces[filled].push_back({member.id, depth});
        if (pieces[filled].size() == kPieceMembers && ++filled == parts) {
            writeRound();
        }
    });
    writeRound();
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
    appendJsonString(result, text);
    return result;
}

void appendCsvField(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

std::string csvField(std::string_view text) {
    std::string result;
    appendCsvField(result, text);
    return result;
}

}  // namespace annalex::cube
