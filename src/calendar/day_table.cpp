#include "calendar/day_table.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

#include "calendar/dates.hpp"
#include "common/failure.hpp"
#include "common/side_by_side.hpp"

namespace annalex::calendar {
namespace {

using cube::ColumnType;
using cube::kNoMember;

struct KnownAttribute {
    std::string_view key;
    std::string_view column;
    ColumnType type;
};

// Every attribute the calendar fills (docs/attributes.md): its column and the type of its
// values. "Fst"/"Lst" in the keys are written out.
constexpr KnownAttribute kKnownAttributes[] = {
    {"YearLeapYear", "year_leap_year", ColumnType::Boolean},
    {"YearNumberOfDays", "year_number_of_days", ColumnType::Integer},
    {"YearYearNo", "year_year_no", ColumnType::Integer},
    {"YearNumberOfWorkingDays", "year_number_of_working_days", ColumnType::Integer},
    {"QuarterNumberInYear", "quarter_number_in_year", ColumnType::Integer},
    {"QuarterNumberOfMonths", "quarter_number_of_months", ColumnType::Integer},
    {"QuarterNumberOfWeeks", "quarter_number_of_weeks", ColumnType::Integer},
    {"QuarterNumberOfDays", "quarter_number_of_days", ColumnType::Integer},
    {"QuarterQtrNo", "quarter_qtr_no", ColumnType::Integer},
    {"QuarterNumberOfWorkingDays", "quarter_number_of_working_days", ColumnType::Integer},
    {"MonthNumberInYear", "month_number_in_year", ColumnType::Integer},
    {"MonthNumberInQuarter", "month_number_in_quarter", ColumnType::Integer},
    {"MonthNumberOfWeeks", "month_number_of_weeks", ColumnType::Integer},
    {"MonthNumberOfDays", "month_number_of_days", ColumnType::Integer},
    {"MonthFstDayInMonth", "month_first_day_in_month", ColumnType::Date},
    {"MonthLstDayInMonth", "month_last_day_in_month", ColumnType::Date},
    {"MonthMonthNumber", "month_month_number", ColumnType::Integer},
    {"MonthNumberOfWorkingDays", "month_number_of_working_days", ColumnType::Integer},
    {"WeekNumberInYear", "week_number_in_year", ColumnType::Integer},
    {"WeekNumberInQuarter", "week_number_in_quarter", ColumnType::Integer},
    {"WeekNumberInMonth", "week_number_in_month", ColumnType::Integer},
    {"WeekNumberOfDays", "week_number_of_days", ColumnType::Integer},
    {"WeekFstDayInWeek", "week_first_day_in_week", ColumnType::Date},
    {"WeekLstDayInWeek", "week_last_day_in_week", ColumnType::Date},
    {"WeekWeekNumber", "week_week_number", ColumnType::Integer},
    {"DayNumberInYear", "day_number_in_year", ColumnType::Integer},
    {"DayNumberInQuarter", "day_number_in_quarter", ColumnType::Integer},
    {"DayNumberInMonth", "day_number_in_month", ColumnType::Integer},
    {"DayNumberInWeek", "day_number_in_week", ColumnType::Integer},
    {"DayWeekday", "day_weekday", ColumnType::Text},
    {"DayHoliday", "day_holiday", ColumnType::Text},
    {"DayWeekend", "day_weekend", ColumnType::Boolean},
    {"DayFstDayInWeek", "day_first_day_in_week", ColumnType::Date},
    {"DayLstDayInWeek", "day_last_day_in_week", ColumnType::Date},
    {"DayFstDayInMonth", "day_first_day_in_month", ColumnType::Date},
    {"DayLstDayInMonth", "day_last_day_in_month", ColumnType::Date},
    {"DayFstDayInQuarter", "day_first_day_in_quarter", ColumnType::Date},
    {"DayLstDayInQuarter", "day_last_day_in_quarter", ColumnType::Date},
    {"DayFstDayInYear", "day_first_day_in_year", ColumnType::Date},
    {"DayLstDayInYear", "day_last_day_in_year", ColumnType::Date},
    {"DayDayNumber", "day_day_number", ColumnType::Integer},
};

// The working-day flag follows the Day level's attributes when it has these two.
constexpr std::string_view kWeekendKey = "DayWeekend";
constexpr std::string_view kHolidayKey = "DayHoliday";
constexpr std::string_view kWorkingDayColumn = "day_working_day";

const KnownAttribute* findKnown(std::string_view key) {
    for (const KnownAttribute& known : kKnownAttributes) {
        if (known.key == key) {
            return &known;
        }
    }
    return nullptr;
}

// "DayNumberInYear" -> "day_number_in_year"; anything but letters and digits becomes "_".
std::string snakeCase(std::string_view text) {
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (std::isupper(c) && i > 0 && name.back() != '_') {
            name += '_';
        }
        name += std::isalnum(c) ? static_cast<char>(std::tolower(c)) : '_';
    }
    return name;
}

void appendNumber(std::string& out, std::int64_t number) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

// The date as YYYY-MM-DD, the year of four digits or more.
void appendIsoDate(std::string& out, const CivilDate& date) {
    char text[24];
    char* end = std::to_chars(text, text + 12, date.year).ptr;
    const std::ptrdiff_t yearDigits = end - text;
    if (yearDigits < 4) {  // years below 1000: zeros before
        std::memmove(text + 4 - yearDigits, text, static_cast<std::size_t>(yearDigits));
        std::memset(text, '0', static_cast<std::size_t>(4 - yearDigits));
        end = text + 4;
    }
    const char pairs[] = {
        '-', static_cast<char>('0' + date.month / 10), static_cast<char>('0' + date.month % 10),
        '-', static_cast<char>('0' + date.day / 10),   static_cast<char>('0' + date.day % 10)};
    std::memcpy(end, pairs, sizeof pairs);
    out.append(text, static_cast<std::size_t>(end - text) + sizeof pairs);
}

// Whether a value has the form of its column's type: enough to notice a value of another
// kind (a name, a date, a number) in a column, cheap enough for every cell.
bool looksInteger(std::string_view text) {
    const char last = text.back();
    return (text.front() == '-' || (text.front() >= '0' && text.front() <= '9')) && last >= '0' &&
           last <= '9';
}

bool looksIsoDate(std::string_view text) {
    // YYYY-MM-DD, the year of four digits or more.
    const std::size_t size = text.size();
    return size >= 10 && text[size - 6] == '-' && text[size - 3] == '-' && text[0] >= '0' &&
           text[0] <= '9' && text[size - 1] >= '0' && text[size - 1] <= '9';
}

struct Span {
    std::int32_t first = 0;
    std::int32_t last = 0;
    bool holds(std::int32_t day) const { return first <= day && day <= last; }
};

// A day of a member of the lowest level; stray when an ancestor of that member does not hold
// the day.
struct DayEntry {
    std::int32_t day;
    std::uint32_t leaf;
    bool stray;
};

// The rows of the table, from one walk of the hierarchy: each member's number among its
// siblings and its days, and one entry per day, in date order, with the member that holds it.
class DayRows {
  public:
    DayRows(const cube::MemoryHierarchy& hierarchy, const CalendarState& state)
        : hierarchy_(hierarchy), state_(state) {
        const std::size_t count = hierarchy.memberCount();
        numbers_.assign(count, 0);
        spans_.assign(count, Span{});
        const std::size_t lowest = hierarchy.levelCount() == 0 ? 0 : hierarchy.levelCount() - 1;
        std::vector<std::uint32_t> siblings;  // members counted so far at each depth
        std::size_t walked = 0;
        hierarchy.walkPreOrder([&](const cube::MemberView& member, int depth) {
            siblings.resize(static_cast<std::size_t>(depth) + 1, 0);
            numbers_[member.id] = ++siblings.back();
            const Span span = recordedSpan(member, walked++);
            spans_[member.id] = span;
            if (member.levelPosition() != lowest) {
                return;
            }
            Span common{std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max()};  // the ancestors' days
            for (std::uint32_t id = member.parent(); id != kNoMember;
                 id = hierarchy.member(id).parent()) {
                common = {std::max(common.first, spans_[id].first),
                          std::min(common.last, spans_[id].last)};
            }
            for (std::int32_t day = span.first; day <= span.last; ++day) {
                entries_.push_back({day, member.id, !common.holds(day)});
            }
        });
        const auto before = [](const DayEntry& a, const DayEntry& b) {
            return a.day != b.day ? a.day < b.day : a.stray < b.stray;
        };
        if (!std::is_sorted(entries_.begin(), entries_.end(), before)) {
            std::stable_sort(entries_.begin(), entries_.end(), before);
        }
        // A day held by several members keeps the first.
        entries_.erase(
            std::unique(entries_.begin(), entries_.end(),
                        [](const DayEntry& a, const DayEntry& b) { return a.day == b.day; }),
            entries_.end());
    }

    const std::vector<DayEntry>& entries() const { return entries_; }
    std::uint32_t number(std::uint32_t id) const { return numbers_[id]; }
    const Span& span(std::uint32_t id) const { return spans_[id]; }

  private:
    // The days the generation recorded for the member at that place of the pre-order walk:
    // in sequence where the member's name shows it is the one placed there, else by its name.
    Span recordedSpan(const cube::MemberView& member, std::size_t walked) {
        const auto& placed = state_.placedDays;
        if (walked < placed.size() &&
            placed[walked].nameHash == std::hash<std::string_view>{}(member.name())) {
            return {placed[walked].first, placed[walked].last};
        }
        const std::string& level = hierarchy_.level(member.levelPosition()).name();
        std::string key = level + '\t';
        key.append(member.name());
        const auto found = state_.memberDates.find(key);
        if (found == state_.memberDates.end()) {
            raise(ErrorNumber::InvalidProcedureCall,
                  "the days of " + level + " member '" + std::string(member.name()) +
                      "' were not recorded",
                  kDefaultSource);
        }
        return {static_cast<std::int32_t>(found->second.first.time_since_epoch().count()),
                static_cast<std::int32_t>(found->second.second.time_since_epoch().count())};
    }

    const cube::MemoryHierarchy& hierarchy_;
    const CalendarState& state_;
    std::vector<std::uint32_t> numbers_;
    std::vector<Span> spans_;
    std::vector<DayEntry> entries_;
};

// What a row encoder keeps of one level: its attribute columns and the encoded cells of the
// member last written.
struct LevelState {
    std::string name;
    std::vector<std::string_view> keys;  // the definitions' own texts
    std::vector<ColumnType> types;
    int weekend = -1;  // the columns of DayWeekend and DayHoliday
    int holiday = -1;
    // While a member's attributes are encoded: the columns written, whether the values came in
    // the columns' order, or else copies of them by column; what the working-day flag needs.
    std::size_t written = 0;
    bool inOrder = true;
    bool copying = false;
    std::vector<std::string> values;
    bool weekendNo = false;
    bool holidayEmpty = true;
    std::string* out = nullptr;  // where they go
    // Above the lowest level: the member whose cells are kept (kNoMember: none on this row).
    std::uint32_t cached = kNoMember - 1;
    std::string levelCells;
    std::string attributeCells;
};

// Encodes runs of rows.
class RowEncoder {
  public:
    RowEncoder(const cube::MemoryHierarchy& hierarchy, const DayRows& rows,
               const cube::TableEncoder& encoder, bool attributes)
        : hierarchy_(hierarchy), rows_(rows), encoder_(encoder) {
        for (std::size_t i = 0; i < hierarchy.levelCount(); ++i) {
            LevelState level;
            level.name = hierarchy.level(i).name();
            if (attributes) {
                for (const auto& def : hierarchy.level(i).attributeDefs()) {
                    level.keys.push_back(def->key());
                    level.types.push_back(attributeColumn(def->key()).type);
                }
                level.values.resize(level.keys.size());
                for (std::size_t k = 0; k < level.keys.size(); ++k) {
                    if (level.keys[k] == kWeekendKey) {
                        level.weekend = static_cast<int>(k);
                    } else if (level.keys[k] == kHolidayKey) {
                        level.holiday = static_cast<int>(k);
                    }
                }
            }
            levels_.push_back(std::move(level));
        }
        path_.resize(levels_.size());
    }
    RowEncoder(const RowEncoder&) = delete;
    RowEncoder& operator=(const RowEncoder&) = delete;

    // The rows from first up to last, into text (emptied first).
    void encode(std::size_t first, std::size_t last, std::string& text) {
        text.clear();
        for (std::size_t row = first; row < last; ++row) {
            const DayEntry& entry = rows_.entries()[row];
            std::fill(path_.begin(), path_.end(), kNoMember);
            for (std::uint32_t id = entry.leaf; id != kNoMember;) {
                const cube::MemberView member = hierarchy_.member(id);
                path_[member.levelPosition()] = id;
                id = member.parent();
            }
            // The members above the day's own keep their cells from row to row; the lowest
            // level's cells go straight into the row.
            const std::size_t lowest = levels_.size() - 1;
            for (std::size_t level = 0; level < lowest; ++level) {
                LevelState& state = levels_[level];
                if (state.cached != path_[level]) {
                    state.cached = path_[level];
                    state.levelCells.clear();
                    state.attributeCells.clear();
                    levelCells(path_[level], state.levelCells);
                    attributeCells(level, path_[level], state.attributeCells);
                }
            }
            encoder_.beginRow(text);
            // The date, and its key: the same digits without the dashes.
            const std::string_view date = isoText(entry.day);
            encoder_.cell(text, ColumnType::Date, date);
            cellText_.clear();
            for (const char c : date) {
                if (c != '-' && (c != '0' || !cellText_.empty())) {
                    cellText_ += c;
                }
            }
            encoder_.cell(text, ColumnType::Integer, cellText_);
            for (std::size_t level = 0; level < lowest; ++level) {
                text += levels_[level].levelCells;
            }
            levelCells(entry.leaf, text);
            for (std::size_t level = 0; level < lowest; ++level) {
                text += levels_[level].attributeCells;
            }
            attributeCells(lowest, entry.leaf, text);
            encoder_.endRow(text);
        }
        encoder_.endBatch(text);
    }

  private:
    // A day as an ISO date; the last one asked for is kept, as a day's row asks three times.
    std::string_view isoText(std::int32_t day) {
        if (day != isoDay_ || isoText_.empty()) {
            isoDay_ = day;
            isoText_.clear();
            appendIsoDate(isoText_, civilDate(Date(std::chrono::days(day))));
        }
        return isoText_;
    }

    // The name, number and days of one member of a level (kNoMember: empty cells).
    void levelCells(std::uint32_t id, std::string& out) {
        if (id == kNoMember) {
            for (int i = 0; i < 4; ++i) {
                encoder_.nullCell(out);
            }
            return;
        }
        encoder_.cell(out, ColumnType::Text, hierarchy_.member(id).name());
        cellText_.clear();
        appendNumber(cellText_, rows_.number(id));
        encoder_.cell(out, ColumnType::Integer, cellText_);
        for (const std::int32_t day : {rows_.span(id).first, rows_.span(id).last}) {
            encoder_.cell(out, ColumnType::Date, isoText(day));
        }
    }

    // The attribute cells of one member of a level (kNoMember: empty cells).
    void attributeCells(std::size_t position, std::uint32_t id, std::string& out) {
        LevelState& level = levels_[position];
        const bool working = level.weekend >= 0 && level.holiday >= 0;
        if (id == kNoMember) {
            for (std::size_t i = 0; i < level.keys.size() + (working ? 1 : 0); ++i) {
                encoder_.nullCell(out);
            }
            return;
        }
        if (level.keys.empty()) {
            return;
        }
        // Values that come in the columns' order, as the calendar sets them, are encoded as they
        // come; another order is noticed, and the member encoded again from copies.
        visitLevel_ = &level;
        visitName_ = hierarchy_.member(id).name();
        level.out = &out;
        const std::size_t start = out.size();
        level.written = 0;
        level.inOrder = true;
        level.copying = false;
        level.weekendNo = false;
        level.holidayEmpty = true;
        hierarchy_.forEachAttribute(id, visit_);
        if (!level.inOrder) {
            out.resize(start);
            for (std::string& value : level.values) {
                value.clear();
            }
            level.copying = true;
            hierarchy_.forEachAttribute(id, visit_);
            for (std::size_t k = 0; k < level.keys.size(); ++k) {
                encodeValue(level, k, level.values[k]);
            }
        } else {
            for (; level.written < level.keys.size(); ++level.written) {
                encoder_.nullCell(out);  // no value set
            }
        }
        if (working) {
            encoder_.booleanCell(out, level.weekendNo && level.holidayEmpty);
        }
    }

    void encodeValue(LevelState& level, std::size_t k, std::string_view value) {
        const ColumnType type = level.types[k];
        if (static_cast<int>(k) == level.weekend) {
            level.weekendNo = value == "No";
        } else if (static_cast<int>(k) == level.holiday) {
            level.holidayEmpty = value.empty();
        }
        bool fits = value.empty();
        if (type == ColumnType::Boolean && !fits) {
            fits = value == "Yes" || value == "No";
            if (fits) {
                encoder_.booleanCell(*level.out, value == "Yes");
                return;
            }
        } else if (!fits) {
            fits = type == ColumnType::Text ||
                   (type == ColumnType::Integer && looksInteger(value)) ||
                   (type == ColumnType::Date && looksIsoDate(value));
        }
        if (!fits) {
            raise(ErrorNumber::TypeMismatch,
                  "attribute " + std::string(level.keys[k]) + " of " + level.name + " member '" +
                      std::string(visitName_) + "' holds '" + std::string(value) + "', not " +
                      (type == ColumnType::Boolean ? "Yes or No"
                       : type == ColumnType::Date  ? "an ISO date"
                                                   : "a whole number"),
                  kDefaultSource);
        }
        encoder_.cell(*level.out, type, value);
    }

    // Takes an attribute value of the member being encoded into its column.
    void takeValue(std::string_view key, std::string_view value) {
        LevelState& level = *visitLevel_;
        const std::size_t count = level.keys.size();
        std::size_t k = level.written < count ? level.written : 0;
        // The model hands out its definitions' own texts: most keys match by address.
        const auto same = [&](std::string_view known) {
            return (known.data() == key.data() && known.size() == key.size()) || known == key;
        };
        for (std::size_t tried = 0; tried < count && !same(level.keys[k]); ++tried) {
            k = k + 1 == count ? 0 : k + 1;
        }
        if (count == 0 || !same(level.keys[k])) {
            return;  // not one of the level's own
        }
        if (level.copying) {
            level.values[k].assign(value);
        } else if (level.inOrder && k < level.written) {
            level.inOrder = false;
        } else if (level.inOrder) {
            for (; level.written < k; ++level.written) {
                encoder_.nullCell(*level.out);  // no value set
            }
            encodeValue(level, k, value);
            ++level.written;
        }
    }

    const cube::MemoryHierarchy& hierarchy_;
    const DayRows& rows_;
    cube::TableEncoder encoder_;
    std::vector<LevelState> levels_;
    std::vector<std::uint32_t> path_;  // the row's member on each level
    std::string cellText_;
    std::int32_t isoDay_ = 0;
    std::string isoText_;
    LevelState* visitLevel_ = nullptr;
    std::string_view visitName_;
    const std::function<void(std::string_view, std::string_view)> visit_ =
        [this](std::string_view key, std::string_view value) { takeValue(key, value); };
};

}  // namespace

cube::TableColumn attributeColumn(std::string_view key) {
    if (const KnownAttribute* known = findKnown(key)) {
        return {std::string(known->column), known->type};
    }
    return {snakeCase(key), ColumnType::Text};
}

std::vector<cube::TableColumn> dayTableColumns(const cube::MemoryHierarchy& hierarchy,
                                               bool attributes) {
    std::vector<cube::TableColumn> columns = {
        {"calendar_date", ColumnType::Date, cube::TableColumn::Primary},
        {"date_key", ColumnType::Integer, cube::TableColumn::Unique},
    };
    for (std::size_t i = 0; i < hierarchy.levelCount(); ++i) {
        const std::string prefix = snakeCase(hierarchy.level(i).name());
        columns.push_back({prefix + "_name", ColumnType::Text});
        columns.push_back({prefix + "_number", ColumnType::Integer});
        columns.push_back({prefix + "_first_day", ColumnType::Date});
        columns.push_back({prefix + "_last_day", ColumnType::Date});
    }
    for (std::size_t i = 0; attributes && i < hierarchy.levelCount(); ++i) {
        bool weekend = false;
        bool holiday = false;
        for (const auto& def : hierarchy.level(i).attributeDefs()) {
            columns.push_back(attributeColumn(def->key()));
            weekend = weekend || def->key() == kWeekendKey;
            holiday = holiday || def->key() == kHolidayKey;
        }
        if (weekend && holiday) {
            columns.push_back({std::string(kWorkingDayColumn), ColumnType::Boolean});
        }
    }
    return columns;
}

void writeDayTable(const cube::MemoryHierarchy& hierarchy, const CalendarState& state,
                   const DayTableOptions& options, std::ostream& out) {
    const DayRows rows(hierarchy, state);
    cube::TableEncoder encoder(options.format, options.tableName,
                               dayTableColumns(hierarchy, options.attributes));
    std::string text;
    encoder.begin(text);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    // The rows go out in blocks, so that the text held at once stays small. Each block ends
    // whatever statement it began, so blocks can be encoded apart: a round of blocks is
    // encoded at once, one per core (at most four), each by an encoder of its own, and
    // written out in order. The hierarchy is only read meanwhile.
    constexpr std::size_t kBlockRows = 16384;
    const std::size_t workers = sideBySideParts();
    std::vector<std::unique_ptr<RowEncoder>> encoders;
    for (std::size_t w = 0; w < workers; ++w) {
        encoders.push_back(
            std::make_unique<RowEncoder>(hierarchy, rows, encoder, options.attributes));
    }
    std::vector<std::string> texts(workers);
    const std::size_t count = rows.entries().size();
    for (std::size_t round = 0; round < count; round += workers * kBlockRows) {
        const std::size_t blocks = std::min(workers, (count - round + kBlockRows - 1) / kBlockRows);
        runSideBySide(blocks, [&](std::size_t w) {
            const std::size_t first = round + w * kBlockRows;
            encoders[w]->encode(first, std::min(count, first + kBlockRows), texts[w]);
        });
        for (std::size_t w = 0; w < blocks; ++w) {
            out.write(texts[w].data(), static_cast<std::streamsize>(texts[w].size()));
        }
    }
    text.clear();
    encoder.end(text);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace annalex::calendar
