#include "calendar/day_table.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <functional>

#include "calendar/dates.hpp"
#include "common/failure.hpp"

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

void appendDigits(std::string& out, std::int32_t number, int width) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, width - (end - digits))), '0');
    out.append(digits, end);
}

void appendIsoDate(std::string& out, const CivilDate& date) {
    appendDigits(out, date.year, 4);
    out += '-';
    appendDigits(out, date.month, 2);
    out += '-';
    appendDigits(out, date.day, 2);
}

bool isInteger(std::string_view text) {
    if (!text.empty() && text.front() == '-') {
        text.remove_prefix(1);
    }
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// YYYY-MM-DD, the year of four digits or more.
bool isIsoDate(std::string_view text) {
    const std::size_t dash = text.find('-');
    return dash != std::string_view::npos && dash >= 4 && text.size() == dash + 6 &&
           text[dash + 3] == '-' && isInteger(text.substr(0, dash)) && text.front() != '-' &&
           isInteger(text.substr(dash + 1, 2)) && isInteger(text.substr(dash + 4, 2));
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

// What the writer keeps of one level: its attribute columns and the encoded cells of the
// member last written.
struct LevelState {
    std::string name;
    std::vector<std::string> keys;
    std::vector<ColumnType> types;
    std::vector<std::string> values;  // of the member being encoded, by column
    int weekend = -1;
    int holiday = -1;
    std::uint32_t cached = kNoMember - 1;  // no member yet (kNoMember: none on this row)
    std::string levelCells;
    std::string attributeCells;
};

class DayTableWriter {
  public:
    DayTableWriter(const cube::MemoryHierarchy& hierarchy, const CalendarState& state,
                   const DayTableOptions& options)
        : hierarchy_(hierarchy),
          state_(state),
          options_(options),
          encoder_(options.format, options.tableName,
                   dayTableColumns(hierarchy, options.attributes)) {
        for (std::size_t i = 0; i < hierarchy.levelCount(); ++i) {
            LevelState level;
            level.name = hierarchy.level(i).name();
            if (options.attributes) {
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
    }

    void write(std::ostream& out) {
        collect();
        std::string text;
        text.reserve(kPiece + kPiece / 4);
        encoder_.begin(text);
        std::vector<std::uint32_t> path(levels_.size());
        std::string cellText;
        bool first = true;
        std::int32_t previous = 0;
        for (const DayEntry& entry : entries_) {
            if (!first && entry.day == previous) {
                continue;  // held by an earlier member as well
            }
            first = false;
            previous = entry.day;
            std::fill(path.begin(), path.end(), kNoMember);
            for (std::uint32_t id = entry.leaf; id != kNoMember;) {
                const cube::MemberView member = hierarchy_.member(id);
                path[member.levelPosition()] = id;
                id = member.parent();
            }
            for (std::size_t level = 0; level < levels_.size(); ++level) {
                if (levels_[level].cached != path[level]) {
                    encodeMember(level, path[level]);
                }
            }
            encoder_.beginRow(text);
            const CivilDate date = civilDate(Date(std::chrono::days(entry.day)));
            cellText.clear();
            appendIsoDate(cellText, date);
            encoder_.cell(text, ColumnType::Date, cellText);
            cellText.clear();
            appendNumber(cellText, std::int64_t{date.year} * 10000 + date.month * 100 + date.day);
            encoder_.cell(text, ColumnType::Integer, cellText);
            for (const LevelState& level : levels_) {
                text += level.levelCells;
            }
            for (const LevelState& level : levels_) {
                text += level.attributeCells;
            }
            encoder_.endRow(text);
            if (text.size() >= kPiece) {
                out.write(text.data(), static_cast<std::streamsize>(text.size()));
                text.clear();
            }
        }
        encoder_.end(text);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }

  private:
    static constexpr std::size_t kPiece = 256 * 1024;

    // One walk of the hierarchy: each member's number among its siblings and its days, and
    // the days of the lowest level's members, sorted by day.
    void collect() {
        const std::size_t count = hierarchy_.memberCount();
        numbers_.assign(count, 0);
        spans_.assign(count, Span{});
        const std::size_t lowest = levels_.empty() ? 0 : levels_.size() - 1;
        std::vector<std::uint32_t> siblings;  // members counted so far at each depth
        std::string key;
        hierarchy_.walkPreOrder([&](const cube::MemberView& member, int depth) {
            siblings.resize(static_cast<std::size_t>(depth) + 1, 0);
            numbers_[member.id] = ++siblings.back();
            const std::string& level = levels_[member.levelPosition()].name;
            key.assign(level);
            key += '\t';
            key.append(member.name());
            const auto found = state_.memberDates.find(key);
            if (found == state_.memberDates.end()) {
                raise(ErrorNumber::InvalidProcedureCall,
                      "the days of " + level + " member '" + std::string(member.name()) +
                          "' were not recorded",
                      kDefaultSource);
            }
            const Span span{
                static_cast<std::int32_t>(found->second.first.time_since_epoch().count()),
                static_cast<std::int32_t>(found->second.second.time_since_epoch().count())};
            spans_[member.id] = span;
            if (member.levelPosition() != lowest) {
                return;
            }
            for (std::int32_t day = span.first; day <= span.last; ++day) {
                bool stray = false;
                for (std::uint32_t id = member.parent(); id != kNoMember && !stray;
                     id = hierarchy_.member(id).parent()) {
                    stray = !spans_[id].holds(day);
                }
                entries_.push_back({day, member.id, stray});
            }
        });
        const auto before = [](const DayEntry& a, const DayEntry& b) {
            return a.day != b.day ? a.day < b.day : a.stray < b.stray;
        };
        if (!std::is_sorted(entries_.begin(), entries_.end(), before)) {
            std::stable_sort(entries_.begin(), entries_.end(), before);
        }
    }

    // The cells of one member of a level (kNoMember: empty cells).
    void encodeMember(std::size_t position, std::uint32_t id) {
        LevelState& level = levels_[position];
        level.cached = id;
        level.levelCells.clear();
        level.attributeCells.clear();
        const bool working = level.weekend >= 0 && level.holiday >= 0;
        if (id == kNoMember) {
            for (int i = 0; i < 4; ++i) {
                encoder_.nullCell(level.levelCells);
            }
            for (std::size_t i = 0; i < level.keys.size() + (working ? 1 : 0); ++i) {
                encoder_.nullCell(level.attributeCells);
            }
            return;
        }
        const cube::MemberView member = hierarchy_.member(id);
        std::string number;
        encoder_.cell(level.levelCells, ColumnType::Text, member.name());
        appendNumber(number, numbers_[id]);
        encoder_.cell(level.levelCells, ColumnType::Integer, number);
        for (const std::int32_t day : {spans_[id].first, spans_[id].last}) {
            std::string date;
            appendIsoDate(date, civilDate(Date(std::chrono::days(day))));
            encoder_.cell(level.levelCells, ColumnType::Date, date);
        }
        if (level.keys.empty()) {
            return;
        }
        for (std::string& value : level.values) {
            value.clear();
        }
        visitLevel_ = &level;
        hierarchy_.forEachAttribute(id, visit_);
        for (std::size_t k = 0; k < level.keys.size(); ++k) {
            encodeValue(level, k, member);
        }
        if (working) {
            const std::string& weekend = level.values[static_cast<std::size_t>(level.weekend)];
            const std::string& holiday = level.values[static_cast<std::size_t>(level.holiday)];
            encoder_.booleanCell(level.attributeCells, weekend == "No" && holiday.empty());
        }
    }

    void encodeValue(LevelState& level, std::size_t k, const cube::MemberView& member) {
        const std::string& value = level.values[k];
        const ColumnType type = level.types[k];
        bool fits = value.empty();
        if (type == ColumnType::Boolean && !fits) {
            fits = value == "Yes" || value == "No";
            if (fits) {
                encoder_.booleanCell(level.attributeCells, value == "Yes");
                return;
            }
        } else if (!fits) {
            fits = type == ColumnType::Text || (type == ColumnType::Integer && isInteger(value)) ||
                   (type == ColumnType::Date && isIsoDate(value));
        }
        if (!fits) {
            raise(ErrorNumber::TypeMismatch,
                  "attribute " + level.keys[k] + " of " + level.name + " member '" +
                      std::string(member.name()) + "' holds '" + value + "', not " +
                      (type == ColumnType::Boolean ? "Yes or No"
                       : type == ColumnType::Date  ? "an ISO date"
                                                   : "a whole number"),
                  kDefaultSource);
        }
        encoder_.cell(level.attributeCells, type, value);
    }

    // Files an attribute value of the member being encoded under its column; the values come
    // in the order they were set, mostly the columns' order.
    void takeValue(std::string_view key, std::string_view value) {
        LevelState& level = *visitLevel_;
        const std::size_t count = level.keys.size();
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t k = (nextKey_ + i) % count;
            if (level.keys[k] == key) {
                level.values[k].assign(value);
                nextKey_ = k + 1;
                return;
            }
        }
    }

    const cube::MemoryHierarchy& hierarchy_;
    const CalendarState& state_;
    const DayTableOptions& options_;
    cube::TableEncoder encoder_;
    std::vector<LevelState> levels_;
    std::vector<std::uint32_t> numbers_;
    std::vector<Span> spans_;
    std::vector<DayEntry> entries_;
    LevelState* visitLevel_ = nullptr;
    std::size_t nextKey_ = 0;
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

bool knownAttribute(std::string_view key) {
    return findKnown(key) != nullptr;
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
    DayTableWriter(hierarchy, state, options).write(out);
}

}  // namespace annalex::calendar
