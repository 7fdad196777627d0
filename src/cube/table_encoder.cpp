#include "cube/table_encoder.hpp"

#include <algorithm>
#include <utility>

#include "cube/dimension_export.hpp"

namespace annalex::cube {
namespace {

std::string_view sqlType(ColumnType type) {
    switch (type) {
        case ColumnType::Date:
            return "DATE";
        case ColumnType::Integer:
            return "INTEGER";
        case ColumnType::Boolean:
            return "BOOLEAN";
        case ColumnType::Text:
            break;
    }
    return "TEXT";
}

void appendCreateTable(std::string& out, const std::string& table,
                       const std::vector<TableColumn>& columns) {
    out += "DROP TABLE IF EXISTS ";
    out += table;
    out += ";\nCREATE TABLE ";
    out += table;
    out += " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        out += i == 0 ? "\n  " : ",\n  ";
        out += quotedIdentifier(columns[i].name);
        out += ' ';
        out += sqlType(columns[i].type);
        if (columns[i].key == TableColumn::Primary) {
            out += " PRIMARY KEY";
        } else if (columns[i].key == TableColumn::Unique) {
            out += " NOT NULL UNIQUE";
        }
    }
    out += "\n);\n";
}

}  // namespace

TableEncoder::TableEncoder(TableFormat format, std::string table, std::vector<TableColumn> columns)
    : format_(format),
      table_(quotedIdentifier(table)),
      columns_(std::move(columns)),
      separator_(format == TableFormat::PostgresSql ? '\t' : ','),
      null_(format == TableFormat::SqliteSql     ? "NULL"
            : format == TableFormat::PostgresSql ? "\\N"
                                                 : ""),
      true_(format == TableFormat::SqliteSql ? "TRUE"
            : format == TableFormat::Csv     ? "true"
                                             : "t"),
      false_(format == TableFormat::SqliteSql ? "FALSE"
             : format == TableFormat::Csv     ? "false"
                                              : "f"),
      quotedDates_(format == TableFormat::SqliteSql) {}

void TableEncoder::begin(std::string& out) {
    switch (format_) {
        case TableFormat::Csv:
            for (std::size_t i = 0; i < columns_.size(); ++i) {
                out += i == 0 ? "" : ",";
                out += columns_[i].name;
            }
            out += "\r\n";
            break;
        case TableFormat::SqliteSql:
            out += "BEGIN;\n";
            appendCreateTable(out, table_, columns_);
            break;
        case TableFormat::PostgresSql:
            // Names may hold any letter, written in UTF-8.
            out += "SET client_encoding = 'UTF8';\nBEGIN;\n";
            appendCreateTable(out, table_, columns_);
            out += "COPY ";
            out += table_;
            out += " (";
            for (std::size_t i = 0; i < columns_.size(); ++i) {
                out += i == 0 ? "" : ", ";
                out += quotedIdentifier(columns_[i].name);
            }
            out += ") FROM STDIN;\n";
            break;
    }
}

void TableEncoder::end(std::string& out) {
    switch (format_) {
        case TableFormat::Csv:
            break;
        case TableFormat::SqliteSql:
            endBatch(out);
            out += "COMMIT;\n";
            break;
        case TableFormat::PostgresSql:
            out += "\\.\nCOMMIT;\n";
            break;
    }
}

void TableEncoder::beginRow(std::string& out) {
    rowStart_ = out.size();
    if (format_ == TableFormat::SqliteSql) {
        if (batchRows_ == 0) {
            out += "INSERT INTO ";
            out += table_;
            out += " VALUES\n(";
        } else {
            out += ",\n(";
        }
    }
}

void TableEncoder::endRow(std::string& out) {
    if (out.size() > rowStart_ && out.back() == separator_) {
        out.pop_back();  // the last cell's separator
    }
    switch (format_) {
        case TableFormat::Csv:
            out += "\r\n";
            break;
        case TableFormat::SqliteSql:
            out += ')';
            ++batchRows_;
            batchBytes_ += out.size() - rowStart_;
            if (batchRows_ >= kBatchRows || batchBytes_ >= kBatchBytes) {
                endBatch(out);
            }
            break;
        case TableFormat::PostgresSql:
            out += '\n';
            break;
    }
}

void TableEncoder::endBatch(std::string& out) {
    if (batchRows_ > 0) {
        out += ";\n";
        batchRows_ = 0;
        batchBytes_ = 0;
    }
}

void TableEncoder::appendText(std::string& out, std::string_view text) const {
    switch (format_) {
        case TableFormat::Csv:
            appendCsvField(out, text);
            return;
        case TableFormat::SqliteSql:
            out += '\'';
            for (const char c : text) {
                out += c;
                if (c == '\'') {
                    out += '\'';
                }
            }
            out += '\'';
            return;
        case TableFormat::PostgresSql:
            if (std::none_of(text.begin(), text.end(), [](char c) {
                    return c == '\\' || c == '\t' || c == '\n' || c == '\r';
                })) {
                out += text;
                return;
            }
            for (const char c : text) {
                switch (c) {
                    case '\\':
                        out += "\\\\";
                        break;
                    case '\t':
                        out += "\\t";
                        break;
                    case '\n':
                        out += "\\n";
                        break;
                    case '\r':
                        out += "\\r";
                        break;
                    default:
                        out += c;
                }
            }
            return;
    }
}

std::string quotedIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (const char c : name) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    quoted += '"';
    return quoted;
}

}  // namespace annalex::cube
