#include "cube/sqlite_handle.hpp"

#include <sqlite3.h>

#include <limits>

namespace annalex::cube::sqlite {

Connection::Connection(const std::string& path, Mode mode) {
    const int flags =
        mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    // Extended result codes tell a read-only connection's "hot journal" apart from other
    // read-only refusals.
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (db_ != nullptr) {
        sqlite3_extended_result_codes(db_, 1);
    }
    if (rc != SQLITE_OK) {
        if (db_ == nullptr) {
            throw Error(rc, rc, 0, sqlite3_errstr(rc));
        }
        try {
            fail(rc);
        } catch (...) {
            sqlite3_close_v2(db_);
            db_ = nullptr;
            throw;
        }
    }
}

Connection::~Connection() {
    sqlite3_close_v2(db_);
}

void Connection::fail(int code) const {
    const int extended = sqlite3_extended_errcode(db_);
    int system = sqlite3_system_errno(db_);
    if (system == 0 && (code & 0xFF) == SQLITE_IOERR) {
        // The connection's errno is taken after the failed transaction was rolled back, which
        // may have cleared it; the file keeps the errno of its own last failed call.
        int lastErrno = 0;
        if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_LAST_ERRNO, &lastErrno) == SQLITE_OK) {
            system = lastErrno;
        }
    }
    throw Error(code & 0xFF, extended != SQLITE_OK ? extended : code, system, sqlite3_errmsg(db_));
}

void Connection::exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
    }
}

Statement Connection::prepare(std::string_view sql) {
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
    }
    return Statement(*this, statement);
}

std::int64_t Connection::queryInt(const char* sql) {
    Statement statement = prepare(sql);
    return statement.step() ? statement.integer(0) : 0;
}

bool Connection::readOnly() const {
    return sqlite3_db_readonly(db_, "main") == 1;
}

void Connection::setBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

std::optional<std::uint32_t> Connection::fileChangeCounter() const {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        file == nullptr || file->pMethods == nullptr) {
        return std::nullopt;
    }
    unsigned char bytes[4];
    if (file->pMethods->xRead(file, bytes, sizeof bytes, 24) != SQLITE_OK) {
        return std::nullopt;  // a short read: the file holds no header yet
    }
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

Statement::Statement(Statement&& other) noexcept
    : connection_(other.connection_), statement_(other.statement_) {
    other.statement_ = nullptr;
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

void Statement::bind(int index, std::int64_t value) {
    const int rc = sqlite3_bind_int64(statement_, index, value);
    if (rc != SQLITE_OK) {
        connection_->fail(rc);
    }
}

void Statement::bind(int index, std::string_view text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw Error(SQLITE_TOOBIG, SQLITE_TOOBIG, 0, "text too long for the store");
    }
    // A view of an empty string may carry a null pointer, which SQLite would store as NULL.
    const char* data = text.data() != nullptr ? text.data() : "";
    const int rc =
        sqlite3_bind_text(statement_, index, data, static_cast<int>(text.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK) {
        connection_->fail(rc);
    }
}

void Statement::bindBlob(int index, std::span<const unsigned char> bytes) {
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw Error(SQLITE_TOOBIG, SQLITE_TOOBIG, 0, "value too long for the store");
    }
    // A zero-length blob with a null pointer would be stored as NULL.
    static constexpr unsigned char kNothing = 0;
    const void* data = bytes.data() != nullptr ? bytes.data() : &kNothing;
    const int rc =
        sqlite3_bind_blob(statement_, index, data, static_cast<int>(bytes.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK) {
        connection_->fail(rc);
    }
}

void Statement::bindNull(int index) {
    const int rc = sqlite3_bind_null(statement_, index);
    if (rc != SQLITE_OK) {
        connection_->fail(rc);
    }
}

bool Statement::step() {
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    connection_->fail(rc);
}

void Statement::reset() {
    // The error of a failed step is reported by step() itself; reset only repeats it.
    sqlite3_reset(statement_);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string_view Statement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    if (data == nullptr) {
        return {};
    }
    return {data, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))};
}

std::span<const unsigned char> Statement::blob(int column) const {
    const auto* data = static_cast<const unsigned char*>(sqlite3_column_blob(statement_, column));
    if (data == nullptr) {
        return {};
    }
    return {data, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))};
}

bool Statement::isBlob(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_BLOB;
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
    connection_.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (open_) {
        // Nothing to report: the error that ended the transaction is already on its way, and
        // SQLite may have rolled back by itself after an I/O error.
        sqlite3_exec(connection_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Transaction::commit() {
    connection_.exec("COMMIT");
    open_ = false;
}

}  // namespace annalex::cube::sqlite
