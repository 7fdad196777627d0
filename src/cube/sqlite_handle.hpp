#pragma once
// A thin RAII layer over the SQLite C API: one connection, its prepared statements and a write
// transaction. Errors surface as sqlite::Error, which carries SQLite's result codes and the
// system error behind them; the cube store turns them into Failures that name the file.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace annalex::cube::sqlite {

class Error : public std::runtime_error {
  public:
    Error(int code, int extendedCode, int systemError, std::string message)
        : std::runtime_error(std::move(message)),
          code_(code),
          extendedCode_(extendedCode),
          systemError_(systemError) {}

    // Primary result code (SQLITE_CORRUPT, SQLITE_IOERR, ...).
    int code() const noexcept { return code_; }
    int extendedCode() const noexcept { return extendedCode_; }
    // errno of the last failed system call of the connection, 0 when none.
    int systemError() const noexcept { return systemError_; }

  private:
    int code_;
    int extendedCode_;
    int systemError_;
};

class Statement;

class Connection {
  public:
    enum class Mode { ReadOnly, ReadWriteCreate };

    // Opens path; throws Error when SQLite cannot open it.
    Connection(const std::string& path, Mode mode);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // Runs one or more statements that return no rows of interest.
    void exec(const char* sql);
    Statement prepare(std::string_view sql);
    // The first column of the first row of a query, as an integer.
    std::int64_t queryInt(const char* sql);
    // True when the connection could only open the file for reading.
    bool readOnly() const;
    // Waits up to milliseconds for another connection's lock before giving up with SQLITE_BUSY.
    void setBusyTimeout(int milliseconds);
    // The file change counter in the main database's header, which SQLite advances with every
    // commit; none when the file is too short to hold it. It is read through SQLite's own open
    // file: opening and closing the file anew would drop every lock this process holds on it
    // (POSIX locks belong to the process and the file, not to the descriptor). Meaningful while
    // a transaction keeps other programs from committing.
    std::optional<std::uint32_t> fileChangeCounter() const;

    sqlite3* handle() const { return db_; }
    // Throws the Error that describes the connection's last failure, given its result code.
    [[noreturn]] void fail(int code) const;

  private:
    sqlite3* db_ = nullptr;
};

class Statement {
  public:
    Statement(const Connection& connection, sqlite3_stmt* statement)
        : connection_(&connection), statement_(statement) {}
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    ~Statement();

    // Parameters are numbered from 1. Text is bound without copying: it must stay alive until
    // the next step().
    void bind(int index, std::int64_t value);
    void bind(int index, std::string_view text);
    // Bytes are bound without copying, like text.
    void bindBlob(int index, std::span<const unsigned char> bytes);
    void bindNull(int index);
    // Advances: true when a row is ready, false when the statement is done.
    bool step();
    // Makes the statement ready to run again; bindings are kept.
    void reset();

    // Columns are numbered from 0; the text stays valid until the next step() or reset().
    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    std::string_view text(int column) const;
    // The bytes stay valid until the next step() or reset().
    std::span<const unsigned char> blob(int column) const;
    bool isBlob(int column) const;

  private:
    const Connection* connection_;
    sqlite3_stmt* statement_;
};

// A write transaction, begun IMMEDIATE so that the write lock is taken up front; rolled back
// unless committed.
class Transaction {
  public:
    explicit Transaction(Connection& connection);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();
    void commit();

  private:
    Connection& connection_;
    bool open_ = true;
};

}  // namespace annalex::cube::sqlite
