#pragma once
// Encodes a table of typed columns in the forms a data warehouse loads:
//
//  * CSV (RFC 4180): a header row of the column names, CRLF line ends, a field quoted when it
//    holds a comma, a quote or a line break; booleans "true"/"false", a missing value empty.
//  * An SQL script for SQLite: in one transaction, DROP TABLE IF EXISTS, CREATE TABLE with the
//    columns' types (DATE, INTEGER, BOOLEAN, TEXT), then INSERT statements of at most
//    kBatchRows rows (and about kBatchBytes, below SQLite's statement limit) each.
//  * An SQL script for PostgreSQL (psql): the same table, its rows in one COPY ... FROM STDIN
//    in text form (tab-separated, \N for a missing value).
//
// A script replaces a table of the same name in one transaction.
//
// A row is written as beginRow, its cells in column order, endRow, into one text buffer. Each
// cell carries its own separator, so a run of cells that many rows share (an ancestor's, in a
// day table) can be encoded once into a buffer of its own and appended to each row as it is.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace annalex::cube {

enum class ColumnType { Date, Integer, Boolean, Text };
enum class TableFormat { Csv, SqliteSql, PostgresSql };

struct TableColumn {
    std::string name;  // a plain lower-case identifier: letters, digits and "_"
    ColumnType type = ColumnType::Text;
    enum Key { None, Primary, Unique } key = None;
};

class TableEncoder {
  public:
    static constexpr std::size_t kBatchRows = 500;
    static constexpr std::size_t kBatchBytes = 512 * 1024;

    // table: a plain identifier, as column names are (quoted in the scripts all the same).
    TableEncoder(TableFormat format, std::string table, std::vector<TableColumn> columns);

    const std::vector<TableColumn>& columns() const { return columns_; }

    // What comes before the first row: the CSV header, or the script up to its first row.
    void begin(std::string& out);
    // What comes after the last row.
    void end(std::string& out);

    // Cells, appended to a row or to a run of cells kept for later rows. An empty text is a
    // missing value (NULL). Date cells are ISO dates and Integer cells decimal numbers, as the
    // caller made sure; Text is quoted or escaped as the format wants.
    void cell(std::string& out, ColumnType type, std::string_view text) const {
        if (text.empty()) {
            out += null_;
        } else if (type == ColumnType::Text || (type == ColumnType::Date && quotedDates_)) {
            appendText(out, text);
        } else {
            out += text;
        }
        out += separator_;
    }
    void booleanCell(std::string& out, bool value) const {
        out += value ? true_ : false_;
        out += separator_;
    }
    void nullCell(std::string& out) const {
        out += null_;
        out += separator_;
    }

    // Around the cells of a row; out must not be emptied in between.
    void beginRow(std::string& out);
    void endRow(std::string& out);
    // Ends the INSERT statement under way, if any, so that a block of rows written out ends
    // with a whole statement.
    void endBatch(std::string& out);

  private:
    void appendText(std::string& out, std::string_view text) const;

    TableFormat format_;
    std::string table_;
    std::vector<TableColumn> columns_;
    char separator_;
    // How the format writes a missing value and the two booleans, and whether it quotes dates.
    std::string_view null_;
    std::string_view true_;
    std::string_view false_;
    bool quotedDates_;
    std::size_t batchRows_ = 0;   // rows of the INSERT statement under way
    std::size_t batchBytes_ = 0;  // and their length
    std::size_t rowStart_ = 0;
};

// A column or table name as an SQL identifier, in double quotes.
std::string quotedIdentifier(std::string_view name);

}  // namespace annalex::cube
