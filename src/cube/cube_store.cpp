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
#include "cube/sqlite_handle.hpp"
#include "cube/store_header.hpp"

namespace annalex::cube {
namespace {

namespace fs = std::filesystem;
using sqlite::Connection;
using sqlite::Statement;

// How long a save or load waits for another program's lock on the file.
constexpr int kBusyTimeoutMs = 10000;

// Format 1. Members of all hierarchies are numbered in one sequence (seq), hierarchy after
// hierarchy, each in placement order: a member's id in its hierarchy is its seq less that of the
// hierarchy's first member, and parent holds that id. Appending to a table keyed by an integer
// is SQLite's fastest insert. child_count lets a load keep a handle only on members that still
// expect children. Attribute values are numbered the same way, in the order they were set.
constexpr const char* kSchema = R"sql(
CREATE TABLE dimension (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL
);
CREATE TABLE hierarchy (
    id INTEGER PRIMARY KEY,
    dimension INTEGER NOT NULL,
    name TEXT NOT NULL
);
CREATE TABLE level (
    hierarchy INTEGER NOT NULL,
    position INTEGER NOT NULL,
    name TEXT NOT NULL,
    type INTEGER NOT NULL,
    PRIMARY KEY (hierarchy, position)
) WITHOUT ROWID;
CREATE TABLE attribute_def (
    hierarchy INTEGER NOT NULL,
    level INTEGER NOT NULL,
    position INTEGER NOT NULL,
    key TEXT NOT NULL,
    caption TEXT NOT NULL,
    PRIMARY KEY (hierarchy, level, position)
) WITHOUT ROWID;
CREATE TABLE member (
    seq INTEGER PRIMARY KEY,
    hierarchy INTEGER NOT NULL,
    level INTEGER NOT NULL,
    parent INTEGER,
    name TEXT NOT NULL,
    "order" INTEGER NOT NULL,
    child_count INTEGER NOT NULL
);
CREATE TABLE attribute (
    seq INTEGER PRIMARY KEY,
    member INTEGER NOT NULL,
    definition INTEGER NOT NULL,
    value TEXT NOT NULL
);
)sql";

constexpr std::string_view kSelectDimensions = "SELECT id, name FROM dimension ORDER BY id";
constexpr std::string_view kSelectHierarchies =
    "SELECT id, dimension, name FROM hierarchy ORDER BY id";
constexpr std::string_view kSelectLevels =
    "SELECT hierarchy, position, name, type FROM level ORDER BY hierarchy, position";
constexpr std::string_view kSelectDefinitions =
    "SELECT hierarchy, level, position, key, caption FROM attribute_def "
    "ORDER BY hierarchy, level, position";
constexpr std::string_view kSelectMembers =
    "SELECT seq, hierarchy, level, parent, name, \"order\", child_count FROM member "
    "ORDER BY seq";
constexpr std::string_view kSelectAttributes =
    "SELECT seq, member, definition, value FROM attribute ORDER BY seq";

std::string quoted(const fs::path& file) {
    return "'" + file.string() + "'";
}

[[noreturn]] void fail(ErrorNumber number, const fs::path& file, const std::string& what,
                       int systemError = 0) {
    noteSystemError(systemError);
    raise(number, quoted(file) + " " + what, kStoreSource);
}

[[noreturn]] void damaged(const fs::path& file, const std::string& why) {
    fail(ErrorNumber::PathFileAccessError, file, "is damaged: " + why);
}

[[noreturn]] void notAStore(const fs::path& file) {
    fail(ErrorNumber::PathFileAccessError, file, "is not a cube store");
}

void requireReadableFormat(const fs::path& file, std::int64_t format) {
    if (format > kStoreFormat) {
        fail(ErrorNumber::PathFileAccessError, file,
             "was written by a newer version of Annalex (format " + std::to_string(format) +
                 "; this version reads up to " + std::to_string(kStoreFormat) + ")");
    }
    if (format < 1) {
        damaged(file, "it records no format version");
    }
}

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
        fail(ErrorNumber::PathNotFound, file, "cannot be " + action + ": its folder does not exist",
             ENOENT);
    }
    const int system = error.systemError();
    if (system == EACCES || system == EPERM || system == EROFS ||
        access(folder.c_str(), W_OK | X_OK) != 0) {
        fail(ErrorNumber::PermissionDenied, file,
             "cannot be " + action + ": permission denied on the file or its folder",
             system != 0 ? system : EACCES);
    }
    fail(ErrorNumber::PathFileAccessError, file,
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
            damaged(file, error.what());
        case SQLITE_CANTOPEN:
            explainCantOpen(error, file, action);
        case SQLITE_READONLY:
            if (error.extendedCode() == SQLITE_READONLY_DIRECTORY) {
                fail(ErrorNumber::PermissionDenied, file,
                     "cannot be " + action +
                         ": its folder is read-only, and a safe save writes a journal there",
                     system);
            }
            [[fallthrough]];
        case SQLITE_PERM:
        case SQLITE_AUTH:
            fail(ErrorNumber::PermissionDenied, file,
                 "cannot be " + action + ": " + withSystemError(error.what(), system), system);
        case SQLITE_FULL:
            fail(ErrorNumber::DiskFull, file, "cannot be " + action + ": the disk is full", system);
        case SQLITE_IOERR:
            fail(ErrorNumber::DeviceIoError, file,
                 "cannot be " + action + ": " + ioFailure(error.extendedCode()) + " (" +
                     withSystemError(error.what(), system) + ")",
                 system);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            fail(ErrorNumber::PathFileAccessError, file,
                 "cannot be " + action + ": it is in use by another program", system);
        case SQLITE_NOMEM:
            fail(ErrorNumber::OutOfMemory, file, "cannot be " + action + ": out of memory");
        default:
            fail(ErrorNumber::PathFileAccessError, file,
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
            fail(ErrorNumber::PermissionDenied, file,
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
        fail(ErrorNumber::PermissionDenied, file, "cannot be read: " + ec.message(), ec.value());
    }
    if (status.type() == fs::file_type::not_found) {
        return FileState::Missing;
    }
    if (status.type() != fs::file_type::regular) {
        fail(ErrorNumber::PathFileAccessError, file, "is not a file");
    }

    std::array<unsigned char, kHeaderSize> header{};
    std::size_t got = 0;
    {
        std::FILE* stream = std::fopen(file.c_str(), "rb");
        if (stream == nullptr) {
            const int error = errno;
            fail(error == EACCES || error == EPERM ? ErrorNumber::PermissionDenied
                                                   : ErrorNumber::PathFileAccessError,
                 file, withSystemError("cannot be read", error), error);
        }
        got = std::fread(header.data(), 1, header.size(), stream);
        std::fclose(stream);
    }
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec) {
        fail(ErrorNumber::PathFileAccessError, file, "cannot be read: " + ec.message(), ec.value());
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
    damaged(file, verdict.why);
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
            for (std::string_view query : {kSelectDimensions, kSelectHierarchies, kSelectLevels,
                                           kSelectDefinitions, kSelectMembers, kSelectAttributes}) {
                try {
                    db->prepare(query);
                } catch (const sqlite::Error& error) {
                    if (error.code() == SQLITE_ERROR) {  // a missing table or column
                        damaged(file, error.what());
                    }
                    throw;
                }
            }
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

template <typename T>
T checkedColumn(const Statement& row, int column, const fs::path& file, const char* what) {
    const std::int64_t value = row.integer(column);
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
        damaged(file, std::string(what) + " " + std::to_string(value) + " is out of range");
    }
    return static_cast<T>(value);
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
    damaged(file, "its structure is broken (" + problem + ")");
}

// ---- save ----

constexpr std::uint32_t kMemberBatch = 128;  // 896 parameters: within any SQLite's limit
// The first row number of the member and attribute tables.
constexpr std::int64_t kFirstSeq = 1;
constexpr int kMemberColumns = 7;

using DimensionList = std::vector<const MemoryDimension*>;

DimensionList dimensionsOf(const MemoryCube& cube) {
    DimensionList dimensions;
    for (const auto& dimension : cube.dimensions()) {
        dimensions.push_back(dimension.get());
    }
    return dimensions;
}

void writeCube(Connection& db, const DimensionList& dimensions) {
    db.exec(
        "DELETE FROM attribute; DELETE FROM member; DELETE FROM attribute_def;"
        "DELETE FROM level; DELETE FROM hierarchy; DELETE FROM dimension;");
    Statement insertDimension = db.prepare("INSERT INTO dimension VALUES (?1, ?2)");
    Statement insertHierarchy = db.prepare("INSERT INTO hierarchy VALUES (?1, ?2, ?3)");
    Statement insertLevel = db.prepare("INSERT INTO level VALUES (?1, ?2, ?3, ?4)");
    Statement insertDefinition =
        db.prepare("INSERT INTO attribute_def VALUES (?1, ?2, ?3, ?4, ?5)");
    Statement insertMember = db.prepare("INSERT INTO member VALUES (?, ?, ?, ?, ?, ?, ?)");
    std::string batchSql = "INSERT INTO member VALUES ";
    for (std::uint32_t row = 0; row < kMemberBatch; ++row) {
        batchSql += row == 0 ? "(?, ?, ?, ?, ?, ?, ?)" : ", (?, ?, ?, ?, ?, ?, ?)";
    }
    Statement insertMembers = db.prepare(batchSql);
    Statement insertAttribute = db.prepare("INSERT INTO attribute VALUES (?1, ?2, ?3, ?4)");

    std::int64_t hierarchyId = 0;
    // Row numbers start at 1 and are left to SQLite (a NULL key appends with the next rowid,
    // which after the DELETE above is these counters): an explicit key would cost a uniqueness
    // seek per row.
    std::int64_t memberSeq = kFirstSeq;
    std::int64_t attributeSeq = kFirstSeq;
    std::vector<std::uint32_t> childCounts;
    for (std::size_t d = 0; d < dimensions.size(); ++d) {
        const MemoryDimension& dimension = *dimensions[d];
        insertDimension.bind(1, static_cast<std::int64_t>(d));
        insertDimension.bind(2, dimension.name());
        insertDimension.step();
        insertDimension.reset();

        for (const auto& hierarchyRef : dimension.hierarchies()) {
            const MemoryHierarchy& hierarchy = *hierarchyRef;
            insertHierarchy.bind(1, hierarchyId);
            insertHierarchy.bind(2, static_cast<std::int64_t>(d));
            insertHierarchy.bind(3, hierarchy.name());
            insertHierarchy.step();
            insertHierarchy.reset();

            for (std::size_t l = 0; l < hierarchy.levelCount(); ++l) {
                const MemoryLevel& level = hierarchy.level(l);
                insertLevel.bind(1, hierarchyId);
                insertLevel.bind(2, static_cast<std::int64_t>(l));
                insertLevel.bind(3, level.name());
                insertLevel.bind(4, std::int64_t{level.type()});
                insertLevel.step();
                insertLevel.reset();
                const auto& definitions = level.attributeDefs();
                for (std::size_t a = 0; a < definitions.size(); ++a) {
                    insertDefinition.bind(1, hierarchyId);
                    insertDefinition.bind(2, static_cast<std::int64_t>(l));
                    insertDefinition.bind(3, static_cast<std::int64_t>(a));
                    insertDefinition.bind(4, definitions[a]->key());
                    insertDefinition.bind(5, definitions[a]->caption());
                    insertDefinition.step();
                    insertDefinition.reset();
                }
            }

            const auto count = static_cast<std::uint32_t>(hierarchy.memberCount());
            childCounts.assign(count, 0);
            for (std::uint32_t id = 0; id < count; ++id) {
                const std::uint32_t parent = hierarchy.member(id).parent();
                if (parent != kNoMember) {
                    ++childCounts[parent];
                }
            }
            // Members go in batches of kMemberBatch rows per statement, which spares most of
            // the per-statement work of single-row inserts; the rest go one by one.
            std::uint32_t batched = 0;
            for (std::uint32_t id = 0; id < count; ++id, ++memberSeq) {
                const MemberView member = hierarchy.member(id);
                const bool inBatch = count - (id - batched) >= kMemberBatch;
                Statement& insert = inBatch ? insertMembers : insertMember;
                const int first = inBatch ? static_cast<int>(batched) * kMemberColumns : 0;
                insert.bindNull(first + 1);
                insert.bind(first + 2, hierarchyId);
                insert.bind(first + 3, static_cast<std::int64_t>(member.levelPosition()));
                if (member.parent() == kNoMember) {
                    insert.bindNull(first + 4);
                } else {
                    insert.bind(first + 4, std::int64_t{member.parent()});
                }
                insert.bind(first + 5, member.name());
                insert.bind(first + 6, std::int64_t{member.order()});
                insert.bind(first + 7, std::int64_t{childCounts[id]});
                if (!inBatch) {
                    insert.step();
                    insert.reset();
                } else if (++batched == kMemberBatch) {
                    insert.step();
                    insert.reset();
                    batched = 0;
                }

                if (member.record->firstAttribute == kNoAttribute) {
                    continue;
                }
                const MemoryLevel& level = hierarchy.level(member.levelPosition());
                hierarchy.forEachAttribute(id, [&](std::string_view key, std::string_view value) {
                    insertAttribute.bindNull(1);
                    ++attributeSeq;
                    insertAttribute.bind(2, memberSeq);
                    insertAttribute.bind(3, std::int64_t{level.attributeIndex(key)});
                    insertAttribute.bind(4, value);
                    insertAttribute.step();
                    insertAttribute.reset();
                });
            }
            ++hierarchyId;
        }
    }
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
    db.exec(kSchema);
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
            writeCube(db, dimensionsOf(cube));
            transaction.commit();
        }
        if (!flushToDisk(building)) {
            const int error = errno;
            removeWithJournal(building);
            fail(error == ENOSPC ? ErrorNumber::DiskFull : ErrorNumber::DeviceIoError, file,
                 withSystemError("cannot be saved: flushing the file to disk failed", error),
                 error);
        }
        if (::link(building.c_str(), file.c_str()) != 0) {
            const int error = errno;
            removeWithJournal(building);
            if (error == EEXIST) {
                return false;
            }
            fail(error == EACCES || error == EPERM ? ErrorNumber::PermissionDenied
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

// What a load keeps of one hierarchy while its members arrive.
struct LoadedHierarchy {
    std::shared_ptr<MemoryDimension> dimension;
    std::shared_ptr<MemoryHierarchy> hierarchy;
    std::vector<LevelRef> levels;
};

class CubeReader {
  public:
    CubeReader(Connection& db, const fs::path& file) : db_(db), file_(file) {}

    std::shared_ptr<MemoryCube> read() {
        auto cube = std::make_shared<MemoryCube>();
        readDimensions(*cube);
        readHierarchies(*cube);
        readLevels();
        readDefinitions();
        readMembers();
        return cube;
    }

  private:
    void readDimensions(MemoryCube& cube) {
        Statement rows = db_.prepare(kSelectDimensions);
        while (rows.step()) {
            if (rows.integer(0) != static_cast<std::int64_t>(cube.dimensions().size())) {
                damaged(file_, "dimension " + std::to_string(rows.integer(0)) + " is out of place");
            }
            const std::string_view name = rows.text(1);
            if (cube.dimension(name)) {
                damaged(file_, "dimension '" + std::string(name) + "' appears twice");
            }
            cube.ensureDimension(name);
        }
    }

    void readHierarchies(const MemoryCube& cube) {
        Statement rows = db_.prepare(kSelectHierarchies);
        std::int64_t lastDimension = 0;
        while (rows.step()) {
            const std::int64_t dimension = rows.integer(1);
            if (rows.integer(0) != static_cast<std::int64_t>(hierarchies_.size()) ||
                dimension < lastDimension ||
                dimension >= static_cast<std::int64_t>(cube.dimensions().size())) {
                damaged(file_, "hierarchy " + std::to_string(rows.integer(0)) + " is out of place");
            }
            lastDimension = dimension;
            const auto& owner = cube.dimensions()[static_cast<std::size_t>(dimension)];
            auto hierarchy = owner->objects().newHierarchy();
            hierarchy->putName(rows.text(2));
            owner->addHierarchy(hierarchy);
            hierarchies_.push_back(
                {owner, std::static_pointer_cast<MemoryHierarchy>(hierarchy), {}});
        }
    }

    LoadedHierarchy& hierarchyAt(std::int64_t id, const char* what) {
        if (id < 0 || id >= static_cast<std::int64_t>(hierarchies_.size())) {
            damaged(file_, std::string(what) + " belongs to hierarchy " + std::to_string(id) +
                               ", which does not exist");
        }
        return hierarchies_[static_cast<std::size_t>(id)];
    }

    void readLevels() {
        Statement rows = db_.prepare(kSelectLevels);
        while (rows.step()) {
            LoadedHierarchy& owner = hierarchyAt(rows.integer(0), "a level");
            if (rows.integer(1) != static_cast<std::int64_t>(owner.levels.size())) {
                damaged(file_, "level " + std::to_string(rows.integer(1)) + " of hierarchy '" +
                                   owner.hierarchy->name() + "' is out of place");
            }
            auto level = owner.dimension->objects().newLevel();
            level->putName(rows.text(2));
            level->putLevelType(checkedColumn<std::int32_t>(rows, 3, file_, "level type"));
            owner.hierarchy->addLevel(level);
            owner.levels.push_back(level);
        }
    }

    void readDefinitions() {
        Statement rows = db_.prepare(kSelectDefinitions);
        while (rows.step()) {
            LoadedHierarchy& owner = hierarchyAt(rows.integer(0), "an attribute definition");
            const std::int64_t levelPosition = rows.integer(1);
            if (levelPosition < 0 ||
                levelPosition >= static_cast<std::int64_t>(owner.levels.size()) ||
                rows.integer(2) !=
                    static_cast<std::int64_t>(
                        owner.hierarchy->level(static_cast<std::size_t>(levelPosition))
                            .attributeDefs()
                            .size())) {
                damaged(file_,
                        "attribute definition '" + std::string(rows.text(3)) + "' is out of place");
            }
            auto definition = owner.dimension->objects().newAttributeDef();
            definition->putName(rows.text(3));
            definition->putCaption(rows.text(4));
            owner.levels[static_cast<std::size_t>(levelPosition)]->addAttributeDef(definition);
        }
    }

    // Members are placed straight into their hierarchy's store: a member's id there is its
    // position in the hierarchy's rows, so the parent ids the file holds are store ids.
    void readMembers() {
        Statement rows = db_.prepare(kSelectMembers);
        attributes_.emplace(db_.prepare(kSelectAttributes));
        nextAttribute();
        std::int64_t seq = kFirstSeq;
        std::int64_t current = -1;  // hierarchy whose members are arriving
        std::int64_t firstSeq = 0;  // seq of its first member
        // Children each member still expects (saturated), and how many members expect some.
        std::vector<std::uint32_t> childrenToCome;
        std::size_t openParents = 0;
        while (rows.step()) {
            if (rows.integer(0) != seq) {
                damaged(file_, "member " + std::to_string(seq) + " is missing");
            }
            const std::int64_t hierarchyId = rows.integer(1);
            if (hierarchyId != current) {
                finishHierarchy(current, openParents);
                if (hierarchyId < current) {
                    damaged(file_, "the members are out of order");
                }
                current = hierarchyId;
                firstSeq = seq;
                childrenToCome.clear();
            }
            LoadedHierarchy& owner = hierarchyAt(hierarchyId, "a member");
            const std::int64_t id = seq - firstSeq;
            const std::int64_t level = rows.integer(2);
            const std::int32_t order = checkedColumn<std::int32_t>(rows, 5, file_, "member order");
            const std::int64_t children = rows.integer(6);
            if (id >= kNoMember || level < 0 ||
                level >= static_cast<std::int64_t>(owner.levels.size()) || children < 0) {
                damaged(file_, "member " + std::to_string(id) + " of hierarchy '" +
                                   owner.hierarchy->name() + "' is out of place");
            }
            const auto memberId = static_cast<std::uint32_t>(id);
            MemberStore& store = *owner.hierarchy->store();

            std::uint32_t parent = kNoMember;
            if (!rows.isNull(3)) {
                const std::int64_t parentId = rows.integer(3);
                if (parentId < 0 || parentId >= id ||
                    childrenToCome[static_cast<std::size_t>(parentId)] == 0 ||
                    std::int64_t{store.member(static_cast<std::uint32_t>(parentId)).level} + 1 !=
                        level) {
                    damaged(file_, "member " + std::to_string(id) + " of hierarchy '" +
                                       owner.hierarchy->name() + "' has no valid parent");
                }
                parent = static_cast<std::uint32_t>(parentId);
            }
            if (store.place(rows.text(4), order, static_cast<std::uint16_t>(level), parent) !=
                memberId) {
                damaged(file_, "the members of hierarchy '" + owner.hierarchy->name() +
                                   "' do not follow each other");
            }
            if (parent != kNoMember && --childrenToCome[parent] == 0) {
                --openParents;
            }
            readAttributes(owner, seq, memberId);
            constexpr std::int64_t kMostChildren = kNoMember;  // more can never arrive
            childrenToCome.push_back(
                static_cast<std::uint32_t>(children < kMostChildren ? children : kMostChildren));
            if (children > 0) {
                ++openParents;
            }
            ++seq;
        }
        finishHierarchy(current, openParents);
        if (attributeMember_ >= 0) {
            damaged(file_, "an attribute value belongs to no member");
        }
    }

    void finishHierarchy(std::int64_t hierarchyId, std::size_t openParents) {
        if (openParents != 0) {
            damaged(file_, "members of hierarchy " + std::to_string(hierarchyId) + " are missing");
        }
    }

    // Steps to the next attribute row; attributeMember_ is the seq of its member, or -1 past
    // the last row.
    void nextAttribute() {
        Statement& rows = *attributes_;
        if (!rows.step()) {
            attributeMember_ = -1;
            return;
        }
        if (rows.integer(0) != attributeSeq_++ || rows.integer(1) < attributeMember_) {
            damaged(file_, "the attribute values are out of order");
        }
        attributeMember_ = rows.integer(1);
    }

    // Sets the values stored for the member at seq, which the attribute rows list in member
    // order, each member's values in the order they were set.
    void readAttributes(const LoadedHierarchy& owner, std::int64_t seq, std::uint32_t id) {
        if (attributeMember_ != seq) {
            if (attributeMember_ >= 0 && attributeMember_ < seq) {
                damaged(file_, "an attribute value belongs to no member");
            }
            return;
        }
        Statement& rows = *attributes_;
        const MemoryLevel& level =
            owner.hierarchy->level(owner.hierarchy->member(id).levelPosition());
        const auto& definitions = level.attributeDefs();
        seen_.assign(definitions.size(), false);
        do {
            const std::int64_t definition = rows.integer(2);
            if (definition < 0 || definition >= static_cast<std::int64_t>(definitions.size()) ||
                seen_[static_cast<std::size_t>(definition)]) {
                damaged(file_, "an attribute value of member " + std::to_string(id) +
                                   " of hierarchy '" + owner.hierarchy->name() +
                                   "' is out of place");
            }
            seen_[static_cast<std::size_t>(definition)] = true;
            // setAttribute finds a key's first definition; a value stored under a later
            // definition of the same key could not be set back.
            const std::string& key = definitions[static_cast<std::size_t>(definition)]->key();
            if (level.attributeIndex(key) != definition) {
                damaged(file_, "an attribute value of member " + std::to_string(id) +
                                   " names a hidden definition");
            }
            owner.hierarchy->store()->setAttribute(id, static_cast<std::uint16_t>(definition),
                                                   rows.text(3));
            nextAttribute();
        } while (attributeMember_ == seq);
    }

    Connection& db_;
    const fs::path& file_;
    std::vector<LoadedHierarchy> hierarchies_;
    std::optional<Statement> attributes_;
    std::int64_t attributeSeq_ = kFirstSeq;
    std::int64_t attributeMember_ = 0;
    std::vector<bool> seen_;
};

}  // namespace

CubeStore CubeStore::open(const std::filesystem::path& file) {
    const bool holdsStore = examine(file) == FileState::Store && openForReading(file) != nullptr;
    return CubeStore(file, holdsStore);
}

std::shared_ptr<MemoryCube> CubeStore::load() const {
    try {
        return loadUnguarded();
    } catch (const std::bad_alloc&) {
        fail(ErrorNumber::OutOfMemory, file_, "cannot be read: out of memory");
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
                fail(ErrorNumber::FileNotFound, file_, "no longer exists", ENOENT);
            }
            damaged(file_, "the file is empty");
        }
        return std::make_shared<MemoryCube>();
    }
    try {
        db->exec("BEGIN");                                   // one snapshot for all the queries
        db->queryInt("SELECT count(*) FROM sqlite_schema");  // takes the snapshot's read lock
        loadedVersion_ = db->fileChangeCounter();
        requireSound(*db, file_);
        auto cube = CubeReader(*db, file_).read();
        db->exec("COMMIT");
        return cube;
    } catch (const sqlite::Error& error) {
        translate(error, file_, "read");
    } catch (const Failure& failure) {
        if (failure.source() == kCubeSource) {  // the model refused what the file holds
            damaged(file_, failure.description());
        }
        throw;
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
        fail(ErrorNumber::OutOfMemory, file_, "cannot be saved: out of memory");
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
            fail(ErrorNumber::PermissionDenied, file_, "cannot be saved: the file is read-only",
                 EACCES);
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
            requireReadableFormat(file_, db.queryInt("PRAGMA user_version"));
            requireSound(db, file_);
            // Another program saved since this store was loaded: keep what it saved of every
            // dimension that is not this program's own.
            if (ownDimensions != nullptr &&
                (!loadedVersion_ || db.fileChangeCounter() != loadedVersion_)) {
                try {
                    current = CubeReader(db, file_).read();
                } catch (const Failure& failure) {
                    if (failure.source() == kCubeSource) {
                        damaged(file_, failure.description());
                    }
                    throw;
                }
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
        writeCube(db, dimensions);
        transaction.commit();
    } catch (const sqlite::Error& error) {
        translate(error, file_, "saved");
    }
    exists_ = true;
    loadedVersion_.reset();
}

}  // namespace annalex::cube
