#include "store_compaction.hpp"

#include <sqlite3.h>

#include <QFile>

namespace annalex::wizard {
namespace {

// The share of free pages above which a store is rebuilt: one in four.
constexpr sqlite3_int64 kFreeShareDivisor = 4;
// How long to wait for another program's lock before leaving the store as it is.
constexpr int kBusyTimeoutMs = 2000;

sqlite3_int64 pragmaValue(sqlite3* db, const char* pragma) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_int64 value = -1;
    if (sqlite3_prepare_v2(db, pragma, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        value = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    return value;
}

}  // namespace

bool compactStore(const QString& path) {
    if (path.isEmpty() || !QFile::exists(path)) {
        return false;
    }
    sqlite3* db = nullptr;
    const QByteArray file = QFile::encodeName(path);
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    bool compacted = false;
    const sqlite3_int64 pages = pragmaValue(db, "PRAGMA page_count");
    const sqlite3_int64 free = pragmaValue(db, "PRAGMA freelist_count");
    if (pages > 0 && free * kFreeShareDivisor > pages) {
        compacted = sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; VACUUM",
                                 nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close(db);
    return compacted;
}

}  // namespace annalex::wizard
