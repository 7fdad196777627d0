#include "cube/cube_store.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "common/failure.hpp"
#include "common/process_state.hpp"
#include "cube/cube_reader.hpp"
#include "cube/cube_writer.hpp"
#include "cube/sqlite_handle.hpp"
#include "cube/store_failures.hpp"
#include "cube/store_header.hpp"
#include "cube/store_schema.hpp"

namespace annalex::cube {
namespace {

namespace fs = std::filesystem;
using sqlite::Connection;
using sqlite::Statement;

// How long a save or load waits for another program's lock on the file.
constexpr int kBusyTimeoutMs = 10000;

std::string withSystemError(const std::string& message, int systemError) {
    if (systemError == 0) {
        return message;
    }
    return message + " (" + std::strerror(systemError) + ")";
}

// What an I/O error stopped, from its extended result code.
std::string ioFailure(int extendedCode) {
    switch (extendedCode) {
        case SQLITE_IOERR_READ:
        case SQLITE_IOERR_SHORT_READ:
            return "reading the file failed";
        case SQLITE_IOERR_WRITE:
        case SQLITE_IOERR_TRUNCATE:
            return "writing the file failed";
        case SQLITE_IOERR_FSYNC:
        case SQLITE_IOERR_DIR_FSYNC:
            return "flushing the file to disk failed";
        default:
            return "the file or its journal could not be accessed";
    }
}

// SQLite cannot open the file or its journal. The errno it keeps is that of its last attempt,
// which is not always the telling one, so the folder is looked at directly.
[[noreturn]] void explainCantOpen(const sqlite::Error& error, const fs::path& file,
                                  const std::string& action) {
    fs::path folder = file.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        failStore(ErrorNumber::PathNotFound, file,
                  "cannot be " + action + ": its folder does not exist", ENOENT);
    }
    const int system = error.systemError();
    if (system == EACCES || system == EPERM || system == EROFS ||
        access(folder.c_str(), W_OK | X_OK) != 0) {
        failStore(ErrorNumber::PermissionDenied, file,
                  "cannot be " + action + ": permission denied on the file or its folder",
                  system != 0 ? system : EACCES);
    }
    failStore(ErrorNumber::PathFileAccessError, file,
              "cannot be " + action + ": " + withSystemError(error.what(), system), system);
}

// Turns an SQLite error met while doing `action` ("read", "saved") into the Failure that
// names the file.
[[noreturn]] void translate(const sqlite::Error& error, const fs::path& file,
                            const std::string& action) {
    const int system = error.systemError();
    switch (error.code()) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            damagedStore(file, error.what());
        case SQLITE_CANTOPEN:
            explainCantOpen(error, file, action);
        case SQLITE_READONLY:
            if (error.extendedCode() == SQLITE_READONLY_DIRECTORY) {
                failStore(ErrorNumber::PermissionDenied, file,
                          "cannot be " + action +
                              ": its folder is read-only, and a safe save writes a journal there",
                          system);
            }
            [[fallthrough]];
        case SQLITE_PERM:
        case SQLITE_AUTH:
            failStore(ErrorNumber::PermissionDenied, file,
                      "cannot be " + action + ": " + withSystemError(error.what(), system), system);
        case SQLITE_FULL:
            failStore(ErrorNumber::DiskFull, file, "cannot be " + action + ": the disk is full",
                      system);
        case SQLITE_IOERR:
            failStore(ErrorNumber::DeviceIoError, file,
                      "cannot be " + action + ": " + ioFailure(error.extendedCode()) + " (" +
                          withSystemError(error.what(), system) + ")",
                      system);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            failStore(ErrorNumber::PathFileAccessError, file,
                      "cannot be " + action + ": it is in use by another program", system);
        case SQLITE_NOMEM:
            failStore(ErrorNumber::OutOfMemory, file, "cannot be " + action + ": out of memory");
        default:
            failStore(ErrorNumber::PathFileAccessError, file,
                      "cannot be " + action + ": " + withSystemError(error.what(), system), system);
    }
}

fs::path journalOf(const fs::path& file) {
    fs::path journal = file;
    journal += "-journal";
    return journal;
}

bool journalBeside(const fs::path& file) {
    std::error_code ec;
    return fs::file_size(journalOf(file), ec) > 0 && !ec;
}

// Rolls back a save that was interrupted (its journal is still beside the file). That needs a
// writable connection; SQLite replays the journal when the file is first read.
void recover(const fs::path& file) {
    try {
        Connection db(file.string(), Connection::Mode::ReadWriteCreate);
        db.setBusyTimeout(kBusyTimeoutMs);
        if (db.readOnly()) {
            failStore(ErrorNumber::PermissionDenied, file,
                      "holds an interrupted save that cannot be rolled back: the file is read-only",
                      EACCES);
        }
        db.queryInt("SELECT count(*) FROM sqlite_schema");
    } catch (const sqlite::Error& error) {
        translate(error, file, "recovered from an interrupted save");
    }
}

enum class FileState { Missing, Empty, Store };

// Looks at the file without SQLite: whether it exists, and whether its header is that of a
// store of a readable format and its length what the header records. Throws for anything
// that is not a usable store.
//
// A save that was killed leaves its journal beside the file, and the file itself half written:
// a first save may not even have written the header yet. Such a file is judged only after the
// journal has been rolled back, which gives back the file as it was before that save (empty,
// for a first save).
FileState examine(const fs::path& file, bool rolledBack = false) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (ec) {
        if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) {
            return FileState::Missing;
        }
        failStore(ErrorNumber::PermissionDenied, file, "cannot be read: " + ec.message(),
                  ec.value());
    }
    if (status.type() == fs::file_type::not_found) {
        return FileState::Missing;
    }
    if (status.type() != fs::file_type::regular) {
        failStore(ErrorNumber::PathFileAccessError, file, "is not a file");
    }

    std::array<unsigned char, kHeaderSize> header{};
    std::size_t got = 0;
    {
        std::FILE* stream = std::fopen(file.c_str(), "rb");
        if (stream == nullptr) {
            const int error = errno;
            failStore(error == EACCES || error == EPERM ? ErrorNumber::PermissionDenied
                                                        : ErrorNumber::PathFileAccessError,
                      file, withSystemError("cannot be read", error), error);
        }
        got = std::fread(header.data(), 1, header.size(), stream);
        std::fclose(stream);
    }
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec) {
        failStore(ErrorNumber::PathFileAccessError, file, "cannot be read: " + ec.message(),
                  ec.value());
    }
    const bool journal = journalBeside(file);
    if (size == 0 && !journal) {
        return FileState::Empty;
    }
    const HeaderVerdict verdict =
        judgeHeader(std::span<const unsigned char>(header.data(), got), size, journal);
    if (verdict.kind != HeaderVerdict::Kind::Store && journal && !rolledBack) {
        recover(file);
        return examine(file, true);
    }
    switch (verdict.kind) {
        case HeaderVerdict::Kind::Store:
            return size == 0 ? FileState::Empty : FileState::Store;
        case HeaderVerdict::Kind::NotAStore:
            if (size == 0) {
                return FileState::Empty;
            }
            notAStore(file);
        case HeaderVerdict::Kind::NewerFormat:
            requireReadableFormat(file, verdict.format);
            break;
        case HeaderVerdict::Kind::Damaged:
            break;
    }
    damagedStore(file, verdict.why);
}

// A read-only connection to a store whose header examine() accepted, with the tables and
// columns that a load reads checked; none when rolling back an interrupted first save left the
// file empty.
std::unique_ptr<Connection> openForReading(const fs::path& file) {
    for (int attempt = 0;; ++attempt) {
        try {
            auto db = std::make_unique<Connection>(file.string(), Connection::Mode::ReadOnly);
            db->setBusyTimeout(kBusyTimeoutMs);
            db->queryInt("PRAGMA application_id");  // the first read, which meets a hot journal
            checkStoreTables(*db, file, db->queryInt("PRAGMA user_version"));
            return db;
        } catch (const sqlite::Error& error) {
            if (error.extendedCode() == SQLITE_READONLY_ROLLBACK && attempt == 0) {
                recover(file);
                if (examine(file) != FileState::Store) {  // the rolled-back file is judged afresh
                    return nullptr;
                }
                continue;
            }
            translate(error, file, "read");
        }
    }
}

// Walks the whole file for structural damage (pages, b-trees, the free list) that a load need
// not meet but a save would carry on and build upon.
void requireSound(Connection& db, const fs::path& file) {
    Statement rows = db.prepare("PRAGMA quick_check(1)");
    if (!rows.step() || rows.text(0) == "ok") {
        return;
    }
    std::string problem(rows.text(0));
    if (const auto newline = problem.rfind('\n'); newline != std::string::npos) {
        problem.erase(0, newline + 1);  // past the "*** in database main ***" line
    }
    damagedStore(file, "its structure is broken (" + problem + ")");
}

// ---- save ----

using DimensionList = std::vector<const MemoryDimension*>;

DimensionList dimensionsOf(const MemoryCube& cube) {
    DimensionList dimensions;
    for (const auto& dimension : cube.dimensions()) {
        dimensions.push_back(dimension.get());
    }
    return dimensions;
}

// The settings of a save into an existing store: a rollback journal synced at each commit, so
// the previous content stays whole until the new one is complete on disk.
void preparePragmas(Connection& db) {
    db.exec(
        "PRAGMA page_size=16384; PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;"
        "PRAGMA cache_size=-65536");
}

// The settings of a first save, which builds the store in a file of its own that no other
// program knows of until it is linked into place: a crash on the way leaves only that file,
// removed by a later save, so it needs no journal, and it is flushed to disk once, as a whole,
// before the link. Rows are appended, so a small page cache serves as well as a large one.
void prepareNewFilePragmas(Connection& db) {
    db.exec(
        "PRAGMA page_size=16384; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
        "PRAGMA cache_size=-2048");
}

// Flushes a file's content to disk; false when that failed, with errno set.
bool flushToDisk(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool flushed = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return flushed;
}

void createSchema(Connection& db) {
    db.exec(("PRAGMA application_id=" + std::to_string(kApplicationId) +
             "; PRAGMA user_version=" + std::to_string(kStoreFormat) + ";")
                .c_str());
    db.exec(std::string(schema::kCreateTables).c_str());
}

// "<file>.new-<pid>": where a first save builds the store before it is put in place.
constexpr std::string_view kNewFileInfix = ".new-";

void removeWithJournal(const fs::path& file) {
    std::error_code ignored;
    fs::remove(file, ignored);
    fs::remove(journalOf(file), ignored);
}

// Removes the half-made stores that first saves into file left behind when their process was
// killed (their process no longer runs); every save does this first.
void removeStaleNewFiles(const fs::path& file) {
    fs::path folder = file.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const std::string prefix = file.filename().string() + std::string(kNewFileInfix);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix)) {
            continue;
        }
        std::string digits = name.substr(prefix.size());
        if (digits.ends_with("-journal")) {
            digits.resize(digits.size() - 8);
        }
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
            digits.size() > 9) {
            continue;
        }
        const auto pid = static_cast<pid_t>(std::stol(digits));
        if (pid != getpid() && !processRuns(pid)) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

// Saves cube as a new store at file, which did not exist: the store is built whole in a file
// of its own beside it and then linked into place, so that file never names a half-made store,
// even when the process is killed. False, with nothing left behind, when another program
// created file meanwhile.
bool saveAsNewFile(const fs::path& file, const MemoryCube& cube) {
    fs::path building = file;
    building += std::string(kNewFileInfix) + std::to_string(getpid());
    removeWithJournal(building);
    try {
        {
            Connection db(building.string(), Connection::Mode::ReadWriteCreate);
            db.setBusyTimeout(kBusyTimeoutMs);
            prepareNewFilePragmas(db);
            sqlite::Transaction transaction(db);
            createSchema(db);
            writeStoredCube(db, dimensionsOf(cube));
            transaction.commit();
        }
        if (!flushToDisk(building)) {
            const int error = errno;
            removeWithJournal(building);
            failStore(error == ENOSPC ? ErrorNumber::DiskFull : ErrorNumber::DeviceIoError, file,
                      withSystemError("cannot be saved: flushing the file to disk failed", error),
                      error);
        }
        if (::link(building.c_str(), file.c_str()) != 0) {
            const int error = errno;
            removeWithJournal(building);
            if (error == EEXIST) {
                return false;
            }
            failStore(error == EACCES || error == EPERM ? ErrorNumber::PermissionDenied
                                                        : ErrorNumber::PathFileAccessError,
                      file, withSystemError("cannot be saved", error), error);
        }
    } catch (const sqlite::Error& error) {
        removeWithJournal(building);
        translate(error, file, "saved");
    } catch (...) {
        removeWithJournal(building);
        throw;
    }
    removeWithJournal(building);
    fs::path folder = file.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    // Makes the new name durable.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

// ---- load ----

// The share of free pages above which a store is rebuilt after a save: one in four.
constexpr std::int64_t kFreeShareDivisor = 4;
// How long compaction waits for another program's lock before leaving the store as it is.
constexpr int kCompactionBusyTimeoutMs = 2000;

// A save replaces the content in place, so a small cube saved over a large one leaves the file
// as large as before, its freed pages kept for later use. When more than a quarter of the file
// is free, the store is rebuilt (VACUUM, through the save's own connection and its rollback
// journal synced to disk: a crash meanwhile leaves the saved content whole). The save has
// already been committed: when the store cannot be rebuilt now (another program holds it, the
// disk is full), it is left as it is.
void giveBackFreePages(Connection& db) {
    try {
        db.setBusyTimeout(kCompactionBusyTimeoutMs);
        const std::int64_t pages = db.queryInt("PRAGMA page_count");
        const std::int64_t free = db.queryInt("PRAGMA freelist_count");
        if (pages > 0 && free * kFreeShareDivisor > pages) {
            db.exec("VACUUM");
        }
    } catch (const sqlite::Error&) {
        // Left for a later save to try again.
    }
}

}  // namespace

CubeStore CubeStore::open(const std::filesystem::path& file) {
    const bool holdsStore = examine(file) == FileState::Store && openForReading(file) != nullptr;
    return CubeStore(file, holdsStore);
}

std::shared_ptr<MemoryCube> CubeStore::load() const {
    try {
        return loadUnguarded();
    } catch (const std::bad_alloc&) {
        failStore(ErrorNumber::OutOfMemory, file_, "cannot be read: out of memory");
    }
}

std::shared_ptr<MemoryCube> CubeStore::loadUnguarded() const {
    const FileState state = examine(file_);
    std::unique_ptr<Connection> db;
    if (state == FileState::Store) {
        db = openForReading(file_);
    }
    if (db == nullptr) {
        if (exists_) {
            if (state == FileState::Missing) {
                failStore(ErrorNumber::FileNotFound, file_, "no longer exists", ENOENT);
            }
            damagedStore(file_, "the file is empty");
        }
        return std::make_shared<MemoryCube>();
    }
    try {
        db->exec("BEGIN");                                   // one snapshot for all the queries
        db->queryInt("SELECT count(*) FROM sqlite_schema");  // takes the snapshot's read lock
        loadedVersion_ = db->fileChangeCounter();
        requireSound(*db, file_);
        auto cube = readStoredCube(*db, file_, db->queryInt("PRAGMA user_version"));
        db->exec("COMMIT");
        return cube;
    } catch (const sqlite::Error& error) {
        translate(error, file_, "read");
    }
}

void CubeStore::save(const MemoryCube& cube) {
    saveCube(cube, nullptr);
}

void CubeStore::save(const MemoryCube& cube, const std::vector<std::string>& ownDimensions) {
    saveCube(cube, &ownDimensions);
}

void CubeStore::saveCube(const MemoryCube& cube, const std::vector<std::string>* ownDimensions) {
    try {
        saveUnguarded(cube, ownDimensions);
    } catch (const std::bad_alloc&) {
        // The transaction was rolled back on the way out: the store keeps its old content.
        failStore(ErrorNumber::OutOfMemory, file_, "cannot be saved: out of memory");
    }
}

void CubeStore::saveUnguarded(const MemoryCube& cube,
                              const std::vector<std::string>* ownDimensions) {
    removeStaleNewFiles(file_);
    FileState state = examine(file_);
    // Refuses a damaged store before anything is written.
    if (state == FileState::Store && openForReading(file_) == nullptr) {
        state = FileState::Empty;
    }
    if (state == FileState::Missing) {
        if (saveAsNewFile(file_, cube)) {
            exists_ = true;
            loadedVersion_.reset();
            return;
        }
        // Another program created the file meanwhile: save into it as into any store.
        state = examine(file_);
        if (state == FileState::Store && openForReading(file_) == nullptr) {
            state = FileState::Empty;
        }
    }
    try {
        Connection db(file_.string(), Connection::Mode::ReadWriteCreate);
        if (db.readOnly()) {
            failStore(ErrorNumber::PermissionDenied, file_,
                      "cannot be saved: the file is read-only", EACCES);
        }
        db.setBusyTimeout(kBusyTimeoutMs);
        preparePragmas(db);
        sqlite::Transaction transaction(db);
        // The file may have changed since it was examined: judge it again under the write lock.
        const std::int64_t applicationId = db.queryInt("PRAGMA application_id");
        std::shared_ptr<MemoryCube> current;
        if (state != FileState::Store && applicationId == 0 &&
            db.queryInt("SELECT count(*) FROM sqlite_schema") == 0) {
            createSchema(db);
        } else if (applicationId != kApplicationId) {
            notAStore(file_);
        } else {
            const std::int64_t format = db.queryInt("PRAGMA user_version");
            requireReadableFormat(file_, format);
            checkStoreTables(db, file_, format);
            requireSound(db, file_);
            // What the save replaces must be what a save wrote: damage is refused, not
            // written over.
            requireIntactBlocks(db, file_, format);
            // Another program saved since this store was loaded: keep what it saved of every
            // dimension that is not this program's own.
            if (ownDimensions != nullptr &&
                (!loadedVersion_ || db.fileChangeCounter() != loadedVersion_)) {
                current = readStoredCube(db, file_, format);
            }
            // A store of an older format is rewritten in the current one, in the same
            // transaction.
            if (format != kStoreFormat) {
                db.exec(std::string(schema::kDropTables).c_str());
                createSchema(db);
            }
        }
        DimensionList dimensions;
        if (current == nullptr) {
            dimensions = dimensionsOf(cube);
        } else {
            auto own = [&](std::string_view name) {
                return std::find(ownDimensions->begin(), ownDimensions->end(), name) !=
                       ownDimensions->end();
            };
            for (const auto& stored : current->dimensions()) {
                const auto mine = own(stored->name()) ? cube.dimension(stored->name()) : nullptr;
                dimensions.push_back(mine != nullptr ? mine.get() : stored.get());
            }
            for (const auto& name : *ownDimensions) {
                const auto mine = cube.dimension(name);
                if (mine != nullptr && current->dimension(name) == nullptr) {
                    dimensions.push_back(mine.get());
                }
            }
        }
        writeStoredCube(db, dimensions);
        transaction.commit();
        giveBackFreePages(db);
    } catch (const sqlite::Error& error) {
        translate(error, file_, "saved");
    }
    exists_ = true;
    loadedVersion_.reset();
}

}  // namespace annalex::cube
