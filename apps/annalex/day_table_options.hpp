#pragma once
// The day table output of `annalex generate`: --output-format days, shaped by --table-format
// (csv, sql-sqlite, sql-postgres) and --table-name. The table's columns: docs/day-table.md.

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "calendar/day_table.hpp"
#include "cube/memory_model.hpp"

namespace annalex::control {
class AnnalexCtrl;
}

namespace annalex::cli {

// The options as given; empty when not given.
struct DayTableTexts {
    std::optional<std::string> format;
    std::optional<std::string> tableName;
};

void addDayTableOptions(CLI::App& command, DayTableTexts& texts);

// The table's shape for --output-format days (attribute columns with --fill-attributes);
// throws CLI::ValidationError naming --table-format or --table-name when given with another
// output format.
calendar::DayTableOptions checkDayTableOptions(const std::string& outputFormat,
                                               const DayTableTexts& texts, bool fillAttributes);

// Writes the day table of the calendar the control generated into dimension; the control must
// have recorded the members' days (setRecordDates).
void writeDayTableOf(const cube::MemoryDimension& dimension, const control::AnnalexCtrl& ctrl,
                     const calendar::DayTableOptions& options, std::ostream& out);

}  // namespace annalex::cli
