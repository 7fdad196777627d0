#include "day_table_options.hpp"

#include "control/annalex_ctrl.hpp"

namespace annalex::cli {

void addDayTableOptions(CLI::App& command, DayTableTexts& texts) {
    command
        .add_option("--table-format", texts.format,
                    "With --output-format days: csv, or an SQL script for sqlite3 or psql")
        ->check(CLI::IsMember({"csv", "sql-sqlite", "sql-postgres"}));
    command
        .add_option("--table-name", texts.tableName,
                    "With --output-format days: the SQL table (default calendar_day)")
        ->check([](const std::string& name) -> std::string {
            const bool plain = !name.empty() && name.size() <= 63 &&
                               name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") ==
                                   std::string::npos &&
                               !(name.front() >= '0' && name.front() <= '9');
            return plain ? std::string()
                         : "expects a plain name: lower-case letters, digits and _, not starting "
                           "with a digit, at most 63 characters: " +
                               name;
        });
}

calendar::DayTableOptions checkDayTableOptions(const std::string& outputFormat,
                                               const DayTableTexts& texts, bool fillAttributes) {
    if (outputFormat != "days") {
        if (texts.format) {
            throw CLI::ValidationError("--table-format", "only with --output-format days");
        }
        if (texts.tableName) {
            throw CLI::ValidationError("--table-name", "only with --output-format days");
        }
    }
    calendar::DayTableOptions options;
    const std::string format = texts.format.value_or("csv");
    options.format = format == "sql-sqlite"     ? cube::TableFormat::SqliteSql
                     : format == "sql-postgres" ? cube::TableFormat::PostgresSql
                                                : cube::TableFormat::Csv;
    options.tableName = texts.tableName.value_or(options.tableName);
    options.attributes = fillAttributes;
    return options;
}

void writeDayTableOf(const cube::MemoryDimension& dimension, const control::AnnalexCtrl& ctrl,
                     const calendar::DayTableOptions& options, std::ostream& out) {
    // The calendar is the dimension's first hierarchy.
    if (!dimension.hierarchies().empty()) {
        calendar::writeDayTable(*dimension.hierarchies().front(), ctrl.state(), options, out);
    }
}

}  // namespace annalex::cli
