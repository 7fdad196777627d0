#include "cube/cube_store.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sstream>
#include <tuple>
#include <vector>

#include "common/failure.hpp"
#include "cube/sqlite_handle.hpp"
#include "support/child_process.hpp"
#include "support/temporary_folder.hpp"

namespace annalex::cube {
namespace {

namespace fs = std::filesystem;

using testing::readFile;
using testing::writeFile;

// Everything a store must keep, in a form that compares as text: dimensions, hierarchies,
// levels with their definitions, members in id order with level, parent, name, order and
// attribute values in order, and the pre-order walk.
std::string describe(const MemoryCube& cube) {
    std::ostringstream out;
    for (const auto& dimension : cube.dimensions()) {
        out << "dimension " << dimension->name() << "\n";
        for (const auto& hierarchy : dimension->hierarchies()) {
            out << " hierarchy " << hierarchy->name() << "\n";
            for (std::size_t l = 0; l < hierarchy->levelCount(); ++l) {
                const MemoryLevel& level = hierarchy->level(l);
                out << "  level " << level.name() << " type " << level.type() << ":";
                for (const auto& definition : level.attributeDefs()) {
                    out << " " << definition->key() << "=" << definition->caption();
                }
                out << "\n";
            }
            for (std::uint32_t id = 0; id < hierarchy->memberCount(); ++id) {
                const MemberView member = hierarchy->member(id);
                out << "  member " << id << " '" << member.name() << "' level "
                    << member.levelPosition() << " parent " << static_cast<int>(member.parent())
                    << " order " << member.order() << ":";
                hierarchy->forEachAttribute(id, [&](std::string_view key, std::string_view value) {
                    out << " " << key << "=" << value;
                });
                out << "\n";
            }
            out << "  walk:";
            hierarchy->walkPreOrder([&](const MemberView& member, int depth) {
                out << " " << member.id << "/" << depth;
            });
            out << "\n";
        }
    }
    return out.str();
}

// A cube with the cases a store can get wrong: two dimensions (one without hierarchies), two
// hierarchies, a top member on a lower level with children of its own, attribute values set
// out of definition order and overwritten, renamed members, odd names and negative orders.
std::shared_ptr<MemoryCube> sampleCube() {
    auto cube = std::make_shared<MemoryCube>();
    auto time = cube->ensureDimension("Time");
    cube->ensureDimension("Empty");
    ObjectFactory& objects = time->objects();
    auto addLevel = [&](const HierarchyRef& hierarchy, const char* name, std::int32_t type,
                        std::initializer_list<const char*> keys) {
        auto level = objects.newLevel();
        level->putName(name);
        level->putLevelType(type);
        for (const char* key : keys) {
            auto definition = objects.newAttributeDef();
            definition->putName(key);
            definition->putCaption(std::string("Caption of ") + key);
            level->addAttributeDef(definition);
        }
        hierarchy->addLevel(level);
        return level;
    };
    auto member = [&](const char* name, std::int32_t order) {
        auto m = objects.newMember();
        m->putName(name);
        m->putOrder(order);
        return m;
    };

    auto period = objects.newHierarchy();
    period->putName("Period");
    time->addHierarchy(period);
    auto year = addLevel(period, "Year", kLevelTypeYears, {"Start", "Days"});
    auto month = addLevel(period, "Month", kLevelTypeMonths, {"Name"});
    addLevel(period, "Day", kLevelTypeDays, {});

    auto y2024 = member("2024", 1);
    year->addRootMember(y2024);
    y2024->setAttribute("Days", "366");
    y2024->setAttribute("Start", "01/01/2024");
    y2024->setAttribute("Days", "365");  // overwritten: keeps its first place
    auto january = member("Jan", 1);
    january->putParent(y2024);
    january->setAttribute("Name", "January");
    auto loose = member("Loose month", -7);  // a top member on the second level
    month->addRootMember(loose);
    auto looseDay = member("", 0);  // an empty name
    looseDay->putParent(loose);
    auto february = member("Feb", 2);
    february->putParent(y2024);
    for (int d = 1; d <= 3; ++d) {
        member(("2024-01-0" + std::to_string(d)).c_str(), d)->putParent(january);
    }
    auto renamed = member("2024-02-01", 1);
    renamed->putParent(february);
    renamed->putName("Février 1er, 'quoted'");
    y2024->putName("Year 2024");

    auto fiscal = objects.newHierarchy();
    fiscal->putName("Fiscal");
    time->addHierarchy(fiscal);
    auto fiscalYear = addLevel(fiscal, "FY", 7, {"Start"});
    auto fy = member("FY24", std::numeric_limits<std::int32_t>::min());
    fiscalYear->addRootMember(fy);
    fy->setAttribute("Start", "");
    return cube;
}

// A cube of two levels with top members each holding children, for stores of many pages.
std::shared_ptr<MemoryCube> bulkCube(int tops, int childrenPerTop) {
    auto cube = std::make_shared<MemoryCube>();
    auto dimension = cube->ensureDimension("Bulk");
    ObjectFactory& objects = dimension->objects();
    auto hierarchy = objects.newHierarchy();
    dimension->addHierarchy(hierarchy);
    auto top = objects.newLevel();
    hierarchy->addLevel(top);
    hierarchy->addLevel(objects.newLevel());
    for (int t = 0; t < tops; ++t) {
        auto parent = objects.newMember();
        parent->putName("top " + std::to_string(t));
        top->addRootMember(parent);
        for (int c = 0; c < childrenPerTop; ++c) {
            auto child = objects.newMember();
            child->putName("child " + std::to_string(t) + "." + std::to_string(c));
            child->putOrder(c);
            child->putParent(parent);
        }
    }
    return cube;
}

// A calendar's day level over several blocks, its values in the shapes a filled calendar has:
// runs (a week's first day), counts (the day of the year), a few words, texts that arrive out of
// order, long texts sharing more than a block's dictionary shares, empty ones, and members that
// set some keys only or in another order.
std::shared_ptr<MemoryCube> filledCube() {
    auto cube = std::make_shared<MemoryCube>();
    auto dimension = cube->ensureDimension("Time");
    ObjectFactory& objects = dimension->objects();
    auto hierarchy = objects.newHierarchy();
    dimension->addHierarchy(hierarchy);
    const std::vector<std::string> keys = {"Week", "DayOfYear", "Weekday", "Falling", "Note"};
    auto year = objects.newLevel();
    hierarchy->addLevel(year);
    auto day = objects.newLevel();
    for (const auto& key : keys) {
        auto definition = objects.newAttributeDef();
        definition->putName(key);
        day->addAttributeDef(definition);
    }
    hierarchy->addLevel(day);
    const char* weekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    MemberRef top;
    for (int d = 0; d < 150000; ++d) {
        if (d % 365 == 0) {
            top = objects.newMember();
            top->putName(std::to_string(1000 + d / 365));
            year->addRootMember(top);
        }
        auto member = objects.newMember();
        member->putName("d" + std::to_string(d));
        member->putOrder(d % 365);
        member->putParent(top);
        if (d % 1000 == 999) {
            continue;  // no values
        }
        if (d % 50 == 0) {
            member->setAttribute("Note", std::string(400, 'n') + std::to_string(d % 7));
            member->setAttribute("Weekday", weekdays[d % 7]);
            continue;
        }
        member->setAttribute("Week", "1000-01-" + std::to_string(100000 + d / 7));
        member->setAttribute("DayOfYear", std::to_string(d % 365 + 1));
        member->setAttribute("Weekday", weekdays[d % 7]);
        member->setAttribute("Falling", std::to_string(900000 - d));
        member->setAttribute("Note", d % 3 == 0 ? "" : "note");
    }
    return cube;
}

// The failure raised by call, after checking that it comes from the store and names file.
template <typename Call>
Failure failureOf(Call&& call, const fs::path& file) {
    try {
        call();
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.source(), kStoreSource);
        EXPECT_NE(failure.description().find("'" + file.string() + "'"), std::string::npos)
            << failure.description();
        return failure;
    }
    ADD_FAILURE() << "no failure for " << file;
    return Failure(0, "", "", 0);
}

bool contains(const Failure& failure, std::string_view text) {
    return failure.description().find(text) != std::string::npos;
}

class CubeStoreTest : public ::testing::Test {
  protected:
    fs::path savedStore(const MemoryCube& cube, const char* name = "cube.db") {
        const fs::path file = dir / name;
        CubeStore::open(file).save(cube);
        return file;
    }

    testing::TemporaryFolder folder;
    fs::path dir = folder.path();
};

TEST_F(CubeStoreTest, RoundTripIsExact) {
    const auto original = sampleCube();
    const fs::path first = savedStore(*original);
    const auto loaded = CubeStore::open(first).load();
    EXPECT_EQ(describe(*loaded), describe(*original));

    // Saving what was loaded and loading again changes nothing either.
    const fs::path second = savedStore(*loaded, "again.db");
    EXPECT_EQ(describe(*CubeStore::open(second).load()), describe(*original));

    // The loaded cube works as a model: renamed names are found, new members go after.
    auto period =
        std::static_pointer_cast<MemoryHierarchy>(loaded->dimension("Time")->hierarchy(1));
    EXPECT_EQ(period->levelAt(3)->findMembers("Février 1er, 'quoted'").Count(), 1);
    EXPECT_EQ(period->levelAt(3)->findMembers("2024-02-01").Count(), 0);
    auto extra = loaded->dimension("Time")->objects().newMember();
    period->levelAt(1)->addRootMember(extra);
    EXPECT_EQ(period->memberCount(), 10u);
}

TEST_F(CubeStoreTest, FilledValuesRoundTripAcrossBlocksAndAreWrittenTheSameAgain) {
    const auto filled = filledCube();
    const fs::path file = savedStore(*filled);
    const auto loaded = CubeStore::open(file).load();
    EXPECT_EQ(describe(*loaded), describe(*filled));

    // What was loaded is written byte for byte as the original was.
    const fs::path again = savedStore(*loaded, "again.db");
    auto blocks = [](const fs::path& store) {
        sqlite::Connection db(store.string(), sqlite::Connection::Mode::ReadOnly);
        sqlite::Statement rows = db.prepare("SELECT members, checksum FROM member_block");
        std::vector<std::string> all;
        while (rows.step()) {
            const auto bytes = rows.blob(0);
            all.emplace_back(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            all.push_back(std::to_string(rows.integer(1)));
        }
        return all;
    };
    const auto written = blocks(file);
    EXPECT_GT(written.size(), 4u) << "the cube fits one block";
    EXPECT_EQ(blocks(again), written);
}

TEST_F(CubeStoreTest, MissingOrEmptyFileIsANewStore) {
    const fs::path file = dir / "new.db";
    CubeStore store = CubeStore::open(file);
    EXPECT_FALSE(store.exists());
    EXPECT_TRUE(store.load()->dimensions().empty());
    EXPECT_FALSE(fs::exists(file)) << "opening or loading must not create the file";
    store.save(*sampleCube());
    EXPECT_TRUE(store.exists());
    EXPECT_EQ(describe(*store.load()), describe(*sampleCube()));

    const fs::path empty = dir / "empty.db";
    writeFile(empty, "");
    CubeStore emptyStore = CubeStore::open(empty);
    EXPECT_FALSE(emptyStore.exists());
    EXPECT_TRUE(emptyStore.load()->dimensions().empty());
    emptyStore.save(*sampleCube());
    EXPECT_EQ(describe(*CubeStore::open(empty).load()), describe(*sampleCube()));

    // A store removed after it was opened is not silently taken for a new one.
    fs::remove(file);
    EXPECT_EQ(failureOf([&] { store.load(); }, file).number(),
              static_cast<int>(ErrorNumber::FileNotFound));
}

TEST_F(CubeStoreTest, SecondSaveReplacesTheContentAndGivesBackTheSpace) {
    // More members than one block holds.
    const auto large = bulkCube(300, 300);
    const fs::path file = savedStore(*large);
    CubeStore store = CubeStore::open(file);
    EXPECT_EQ(describe(*store.load()), describe(*large));
    const auto largeSize = fs::file_size(file);

    const auto small = sampleCube();
    store.save(*small);
    store.save(*small);
    EXPECT_EQ(describe(*store.load()), describe(*small));
    EXPECT_LT(fs::file_size(file) * 10, largeSize) << "the freed pages were kept";
    EXPECT_FALSE(fs::exists(file.string() + "-journal"));
    store.save(MemoryCube{});
    EXPECT_TRUE(store.load()->dimensions().empty());
}

// sampleCube() as the first format wrote it: a row per member and per attribute value.
void writeFormatOneStore(const fs::path& file) {
    sqlite::Connection db(file.string(), sqlite::Connection::Mode::ReadWriteCreate);
    db.exec(R"sql(
        PRAGMA application_id = 1095650392; PRAGMA user_version = 1;
        CREATE TABLE dimension (id INTEGER PRIMARY KEY, name TEXT NOT NULL);
        CREATE TABLE hierarchy (id INTEGER PRIMARY KEY, dimension INTEGER NOT NULL,
                                name TEXT NOT NULL);
        CREATE TABLE level (hierarchy INTEGER NOT NULL, position INTEGER NOT NULL,
                            name TEXT NOT NULL, type INTEGER NOT NULL,
                            PRIMARY KEY (hierarchy, position)) WITHOUT ROWID;
        CREATE TABLE attribute_def (hierarchy INTEGER NOT NULL, level INTEGER NOT NULL,
                                    position INTEGER NOT NULL, key TEXT NOT NULL,
                                    caption TEXT NOT NULL,
                                    PRIMARY KEY (hierarchy, level, position)) WITHOUT ROWID;
        CREATE TABLE member (seq INTEGER PRIMARY KEY, hierarchy INTEGER NOT NULL,
                             level INTEGER NOT NULL, parent INTEGER, name TEXT NOT NULL,
                             "order" INTEGER NOT NULL, child_count INTEGER NOT NULL);
        CREATE TABLE attribute (seq INTEGER PRIMARY KEY, member INTEGER NOT NULL,
                                definition INTEGER NOT NULL, value TEXT NOT NULL);
        INSERT INTO dimension VALUES (0, 'Time'), (1, 'Empty');
        INSERT INTO hierarchy VALUES (0, 0, 'Period'), (1, 0, 'Fiscal');
        INSERT INTO level VALUES (0, 0, 'Year', 20), (0, 1, 'Month', 132), (0, 2, 'Day', 516),
                                 (1, 0, 'FY', 7);
        INSERT INTO attribute_def VALUES (0, 0, 0, 'Start', 'Caption of Start'),
                                         (0, 0, 1, 'Days', 'Caption of Days'),
                                         (0, 1, 0, 'Name', 'Caption of Name'),
                                         (1, 0, 0, 'Start', 'Caption of Start');
        INSERT INTO member VALUES
            (1, 0, 0, NULL, 'Year 2024', 1, 2), (2, 0, 1, 0, 'Jan', 1, 3),
            (3, 0, 1, NULL, 'Loose month', -7, 1), (4, 0, 2, 2, '', 0, 0),
            (5, 0, 1, 0, 'Feb', 2, 1), (6, 0, 2, 1, '2024-01-01', 1, 0),
            (7, 0, 2, 1, '2024-01-02', 2, 0), (8, 0, 2, 1, '2024-01-03', 3, 0),
            (9, 0, 2, 4, 'Février 1er, ''quoted''', 1, 0),
            (10, 1, 0, NULL, 'FY24', -2147483648, 0);
        INSERT INTO attribute VALUES (1, 1, 1, '365'), (2, 1, 0, '01/01/2024'),
                                     (3, 2, 0, 'January'), (4, 10, 0, '');
    )sql");
}

// An unsigned LEB128 number, as the blocks of a store hold them.
void putNumber(std::string& out, std::uint64_t value) {
    for (; value >= 0x80; value >>= 7) {
        out += static_cast<char>((value & 0x7F) | 0x80);
    }
    out += static_cast<char>(value);
}

// cube (one hierarchy) as the second format wrote it: the catalog rows, and the members packed
// in one block, each with its attribute values as texts beside it.
void writeFormatTwoStore(const fs::path& file, const MemoryCube& cube) {
    sqlite::Connection db(file.string(), sqlite::Connection::Mode::ReadWriteCreate);
    db.exec(R"sql(
        PRAGMA application_id = 1095650392; PRAGMA user_version = 2;
        CREATE TABLE dimension (id INTEGER PRIMARY KEY, name TEXT NOT NULL);
        CREATE TABLE hierarchy (id INTEGER PRIMARY KEY, dimension INTEGER NOT NULL,
                                name TEXT NOT NULL, member_count INTEGER NOT NULL);
        CREATE TABLE level (hierarchy INTEGER NOT NULL, position INTEGER NOT NULL,
                            name TEXT NOT NULL, type INTEGER NOT NULL,
                            PRIMARY KEY (hierarchy, position)) WITHOUT ROWID;
        CREATE TABLE attribute_def (hierarchy INTEGER NOT NULL, level INTEGER NOT NULL,
                                    position INTEGER NOT NULL, key TEXT NOT NULL,
                                    caption TEXT NOT NULL,
                                    PRIMARY KEY (hierarchy, level, position)) WITHOUT ROWID;
        CREATE TABLE member_block (seq INTEGER PRIMARY KEY, hierarchy INTEGER NOT NULL,
                                   first INTEGER NOT NULL, count INTEGER NOT NULL,
                                   members BLOB NOT NULL);
    )sql");
    const auto& dimension = *cube.dimensions().front();
    const MemoryHierarchy& hierarchy = *dimension.hierarchies().front();
    db.exec(("INSERT INTO dimension VALUES (0, '" + dimension.name() + "');" +
             "INSERT INTO hierarchy VALUES (0, 0, '" + hierarchy.name() + "', " +
             std::to_string(hierarchy.memberCount()) + ");")
                .c_str());
    std::string block;
    for (std::size_t l = 0; l < hierarchy.levelCount(); ++l) {
        const MemoryLevel& level = hierarchy.level(l);
        db.exec(("INSERT INTO level VALUES (0, " + std::to_string(l) + ", '" + level.name() +
                 "', " + std::to_string(level.type()) + ")")
                    .c_str());
        for (std::size_t a = 0; a < level.attributeDefs().size(); ++a) {
            const auto& definition = *level.attributeDefs()[a];
            db.exec(("INSERT INTO attribute_def VALUES (0, " + std::to_string(l) + ", " +
                     std::to_string(a) + ", '" + definition.key() + "', '" + definition.caption() +
                     "')")
                        .c_str());
        }
    }
    for (std::uint32_t id = 0; id < hierarchy.memberCount(); ++id) {
        const MemberView member = hierarchy.member(id);
        putNumber(block, member.levelPosition());
        putNumber(block, member.parent() == kNoMember ? 0 : id - member.parent());
        const std::int64_t order = member.order();
        putNumber(block, static_cast<std::uint64_t>(order >= 0 ? 2 * order : -2 * order - 1));
        putNumber(block, member.name().size());
        block += member.name();
        const auto keys = hierarchy.store()->attributeKeys(id);
        putNumber(block, keys.size());
        for (const std::uint16_t key : keys) {
            const std::string_view value = hierarchy.store()->attributeValue(id, key);
            putNumber(block, key);
            putNumber(block, value.size());
            block += value;
        }
    }
    sqlite::Statement insert = db.prepare("INSERT INTO member_block VALUES (1, 0, 0, ?1, ?2)");
    insert.bind(1, static_cast<std::int64_t>(hierarchy.memberCount()));
    insert.bindBlob(2, {reinterpret_cast<const unsigned char*>(block.data()), block.size()});
    insert.step();
}

// sampleCube() with one dimension, as the second format holds it.
std::shared_ptr<MemoryCube> sampleTimeCube() {
    auto cube = sampleCube();
    auto time = std::make_shared<MemoryCube>();
    auto dimension = time->ensureDimension("Time");
    dimension->addHierarchy(cube->dimension("Time")->hierarchy(1));
    return time;
}

TEST_F(CubeStoreTest, StoresOfOlderFormatsAreReadAndRewrittenInTheCurrentOne) {
    struct Older {
        const char* name;
        std::function<void(const fs::path&)> write;
        std::shared_ptr<MemoryCube> holds;
    };
    for (const Older& older : {
             Older{"format 1", writeFormatOneStore, sampleCube()},
             Older{"format 2",
                   [](const fs::path& file) { writeFormatTwoStore(file, *sampleTimeCube()); },
                   sampleTimeCube()},
         }) {
        SCOPED_TRACE(older.name);
        const fs::path file = dir / (std::string(older.name) + ".db");
        older.write(file);
        CubeStore store = CubeStore::open(file);
        EXPECT_EQ(describe(*store.load()), describe(*older.holds));

        store.save(*store.load());
        EXPECT_EQ(sqlite::Connection(file.string(), sqlite::Connection::Mode::ReadOnly)
                      .queryInt("PRAGMA user_version"),
                  kStoreFormat);
        EXPECT_EQ(describe(*CubeStore::open(file).load()), describe(*older.holds));
    }

    // A first-format store missing a member its parent counts on is damaged.
    const fs::path lost = dir / "lost.db";
    writeFormatOneStore(lost);
    sqlite::Connection(lost.string(), sqlite::Connection::Mode::ReadWriteCreate)
        .exec("DELETE FROM member WHERE seq = 8");
    EXPECT_TRUE(contains(failureOf([&] { CubeStore::open(lost).load(); }, lost), "is damaged"));
}

// Files that are no store, and a store of a newer format, are refused when opened and, replaced
// after the store was opened, when loaded or saved; they are left as they were.
TEST_F(CubeStoreTest, FilesThatAreNotStoresOfThisVersionAreRefusedAndLeftAlone) {
    const fs::path text = dir / "notes.txt";
    writeFile(text, "Dear diary, today I did not write a cube store.\n");
    const fs::path shortFile = dir / "short.db";
    writeFile(shortFile, std::string("SQLite format 3\0", 16));
    const fs::path otherDb = dir / "other.db";
    sqlite::Connection(otherDb.string(), sqlite::Connection::Mode::ReadWriteCreate)
        .exec("CREATE TABLE member (name TEXT); INSERT INTO member VALUES ('x')");
    const fs::path newer = savedStore(*sampleCube(), "newer.db");
    sqlite::Connection(newer.string(), sqlite::Connection::Mode::ReadWriteCreate)
        .exec("PRAGMA user_version=7");
    const std::string notAStore = "' is not a cube store";
    const std::string newerFormat =
        "' was written by a newer version of Annalex (format 7; this version reads up to " +
        std::to_string(kStoreFormat) + ")";
    for (const auto& [file, says] :
         {std::pair{text, notAStore}, std::pair{shortFile, notAStore},
          std::pair{otherDb, notAStore}, std::pair{newer, newerFormat}}) {
        SCOPED_TRACE(file.filename().string());
        const std::string before = readFile(file);
        const Failure refused = failureOf([&] { CubeStore::open(file); }, file);
        EXPECT_EQ(refused.description(), "'" + file.string() + says);
        EXPECT_EQ(refused.number(), static_cast<int>(ErrorNumber::PathFileAccessError));

        // A load or a save judges the file again: it may have been replaced since it was opened.
        const fs::path later = dir / "later.db";
        fs::remove(later);
        CubeStore store = CubeStore::open(later);
        fs::copy_file(file, later);
        EXPECT_EQ(failureOf([&] { store.load(); }, later).description(),
                  "'" + later.string() + says);
        EXPECT_EQ(failureOf([&] { store.save(*sampleCube()); }, later).description(),
                  "'" + later.string() + says);
        EXPECT_EQ(readFile(later), before);
        EXPECT_EQ(readFile(file), before);
    }
    EXPECT_TRUE(contains(failureOf([&] { CubeStore::open(dir); }, dir), "is not a file"));
}

// Damage to the file's structure, or blocks gone while the catalog still counts their members,
// is refused by a load and by a save before anything is written.
TEST_F(CubeStoreTest, DamagedStoresAreRefusedAndLeftAlone) {
    const fs::path original = savedStore(*bulkCube(100, 100));
    // A second save of a little less leaves free pages, too few to give back to the disk, so
    // that the free list can be damaged too.
    CubeStore::open(original).save(*bulkCube(90, 100));
    const std::string good = readFile(original);
    ASSERT_NE(good.substr(36, 4), std::string(4, '\0')) << "the store has no free pages";
    const std::size_t pageSize =
        (static_cast<std::size_t>(static_cast<unsigned char>(good[16])) << 8) |
        static_cast<unsigned char>(good[17]);
    ASSERT_GT(good.size(), 8 * pageSize);
    const auto changed = [&good](std::size_t offset, char byte) {
        std::string bytes = good;
        bytes[offset] = byte;
        return bytes;
    };
    // Every page after the first gets a page type that does not exist.
    std::string scrambled = good;
    for (std::size_t page = pageSize; page < scrambled.size(); page += pageSize) {
        scrambled[page] = '\x7F';
    }
    sqlite::Connection(original.string(), sqlite::Connection::Mode::ReadWriteCreate)
        .exec("DELETE FROM member_block");

    for (const auto& [name, bytes, says] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"truncated", good.substr(0, good.size() / 2), "' is damaged: "},
             {"scrambled", scrambled, "' is damaged: "},
             {"no blocks", readFile(original), "' is damaged: "},
             {"reserved bytes per page", changed(20, '\x04'), "page layout"},
             {"payload fraction", changed(21, '\x41'), "page layout"},
             {"free page count", changed(39, '\x3f'), "its structure is broken (Main freelist"},
         }) {
        SCOPED_TRACE(name);
        const fs::path file = dir / (name + ".db");
        writeFile(file, bytes);
        const Failure refused = failureOf([&] { CubeStore::open(file).load(); }, file);
        EXPECT_TRUE(contains(refused, says)) << refused.description();
        const Failure notSaved =
            failureOf([&] { CubeStore::open(file).save(*sampleCube()); }, file);
        EXPECT_TRUE(contains(notSaved, "' is damaged: ")) << notSaved.description();
        EXPECT_EQ(readFile(file), bytes);
    }

    // A save into a store found damaged after it was opened fails and changes nothing.
    CubeStore store = CubeStore::open(dir / "later.db");
    writeFile(dir / "later.db", scrambled);
    EXPECT_TRUE(
        contains(failureOf([&] { store.save(*sampleCube()); }, dir / "later.db"), "is damaged"));
    EXPECT_EQ(readFile(dir / "later.db"), scrambled);
}

TEST_F(CubeStoreTest, AnyChangedByteOfTheBlocksOrTheCatalogOrAPlantedObjectIsRefused) {
    const fs::path original = savedStore(*filledCube());
    std::string block;
    {
        sqlite::Connection db(original.string(), sqlite::Connection::Mode::ReadOnly);
        sqlite::Statement first = db.prepare("SELECT members FROM member_block WHERE seq = 1");
        ASSERT_TRUE(first.step());
        block.assign(reinterpret_cast<const char*>(first.blob(0).data()), first.blob(0).size());
    }
    // One changed byte anywhere in a block: among the members, the key sequences, the
    // dictionaries or the runs. (Most such changes still make a block that could be placed, so
    // the checksums are what finds them.)
    std::vector<std::pair<std::string, std::function<void(sqlite::Connection&)>>> changes;
    for (std::size_t at = 0; at < block.size(); at += block.size() / 17) {
        changes.emplace_back("byte " + std::to_string(at), [&block, at](sqlite::Connection& db) {
            std::string changed = block;
            changed[at] = static_cast<char>(changed[at] ^ 0x01);
            sqlite::Statement update =
                db.prepare("UPDATE member_block SET members = ?1 WHERE seq = 1");
            update.bindBlob(
                1, {reinterpret_cast<const unsigned char*>(changed.data()), changed.size()});
            update.step();
        });
    }
    for (const char* sql : {
             "UPDATE member_block SET checksum = checksum + 1 WHERE seq = 2",
             "UPDATE level SET name = 'Yaer' WHERE position = 0",
             "UPDATE attribute_def SET key = 'Weak' WHERE position = 0",
             "UPDATE hierarchy SET name = 'Other'",
             "UPDATE dimension SET name = 'Space'",
             "DELETE FROM attribute_def WHERE position = 4",
             "DELETE FROM catalog_checksum",
             "INSERT INTO catalog_checksum SELECT crc FROM catalog_checksum",
             // Objects no format has, which must never run.
             "CREATE TRIGGER planted AFTER INSERT ON member_block BEGIN DELETE FROM level; END",
             "CREATE INDEX planted ON member_block (hierarchy)",
             "CREATE VIEW planted AS SELECT name FROM dimension",
             "CREATE TABLE planted (x TEXT)",
         }) {
        changes.emplace_back(sql, [sql](sqlite::Connection& db) { db.exec(sql); });
    }
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        const fs::path file = dir / "changed.db";
        fs::remove(file);
        fs::copy_file(original, file);
        CubeStore opened = CubeStore::open(file);  // changed after it was opened
        {
            sqlite::Connection db(file.string(), sqlite::Connection::Mode::ReadWriteCreate);
            change(db);
        }
        const std::string before = readFile(file);
        EXPECT_TRUE(
            contains(failureOf([&] { CubeStore::open(file).load(); }, file), "' is damaged: "));
        const Failure saving = failureOf([&] { opened.save(*sampleCube()); }, file);
        EXPECT_TRUE(contains(saving, "' is damaged: ")) << saving.description();
        if (name.starts_with("CREATE")) {
            EXPECT_TRUE(contains(saving, " 'planted', which no cube store has"))
                << saving.description();
        }
        EXPECT_TRUE(readFile(file) == before) << "the file was changed";
    }
}

// Runs call in an unprivileged child process; answers the description of the Failure it raised,
// or "", passed back in a file of dir.
std::string failureInUnprivilegedChild(const fs::path& dir, const std::function<void()>& call) {
    const fs::path answer = dir / "answer";
    if (testing::inUnprivilegedChild([&] {
            try {
                call();
            } catch (const Failure& failure) {
                writeFile(answer, failure.description());
            }
            return 0;
        }) != 0) {
        return "could not drop privileges";
    }
    std::string text = readFile(answer);
    fs::remove(answer);
    return text;
}

TEST_F(CubeStoreTest, UnwritablePlacesGiveAClearErrorAndWriteNothing) {
    const auto cube = sampleCube();
    fs::permissions(dir, fs::perms::all);  // the unprivileged child must reach its files

    const fs::path lockedDir = dir / "locked";
    fs::create_directory(lockedDir);
    const fs::path oldStore = savedStore(*cube, "locked/old.db");
    const std::string oldBytes = readFile(oldStore);
    fs::permissions(lockedDir, fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);

    const fs::path newStore = lockedDir / "new.db";
    std::string message =
        failureInUnprivilegedChild(dir, [&] { CubeStore::open(newStore).save(*cube); });
    EXPECT_EQ(message, "'" + newStore.string() +
                           "' cannot be saved: permission denied on the file or its folder");
    EXPECT_FALSE(fs::exists(newStore));

    // The store can be written but its folder cannot hold the journal a safe save needs.
    fs::permissions(oldStore, fs::perms::all);
    message =
        failureInUnprivilegedChild(dir, [&] { CubeStore::open(oldStore).save(*bulkCube(2, 2)); });
    EXPECT_EQ(
        message,
        "'" + oldStore.string() +
            "' cannot be saved: its folder is read-only, and a safe save writes a journal there");
    EXPECT_EQ(readFile(oldStore), oldBytes);

    const fs::path readOnlyStore = savedStore(*cube, "read_only.db");
    fs::permissions(readOnlyStore,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    message = failureInUnprivilegedChild(dir, [&] { CubeStore::open(readOnlyStore).save(*cube); });
    EXPECT_EQ(message, "'" + readOnlyStore.string() + "' cannot be saved: the file is read-only");

    // A folder that does not exist, which permissions cannot hide from root.
    const fs::path underFile = oldStore / "cube.db";
    const Failure missing = failureOf([&] { CubeStore::open(underFile).save(*cube); }, underFile);
    EXPECT_EQ(missing.number(), static_cast<int>(ErrorNumber::PathNotFound));
    EXPECT_EQ(readFile(oldStore), oldBytes);
}

// Runs call with the files this process writes limited to limit bytes, as a file system or a
// quota that cannot hold more would; answers the failure it raised.
Failure failureWithFileSizeLimit(rlim_t limit, const fs::path& file,
                                 const std::function<void()>& call) {
    rlimit saved{};
    EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = limit;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    Failure failure = failureOf(call, file);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return failure;
}

TEST_F(CubeStoreTest, SaveFailingMidwayKeepsThePreviousContentAndNamesTheCause) {
    const auto previous = sampleCube();
    const fs::path file = savedStore(*previous);
    const std::string before = readFile(file);
    CubeStore store = CubeStore::open(file);

    // The store may not grow much beyond its present size, so writing the bigger cube fails
    // part way through the commit.
    const Failure failed = failureWithFileSizeLimit(2 * before.size() + 65536, file,
                                                    [&] { store.save(*bulkCube(100, 200)); });
    EXPECT_TRUE(contains(failed, "cannot be saved: writing the file failed") &&
                contains(failed, "(File too large)"))
        << failed.description();
    EXPECT_EQ(describe(*CubeStore::open(file).load()), describe(*previous));
    EXPECT_EQ(readFile(file), before);

    // The journal that keeps the old content while a save replaces it cannot grow either.
    const fs::path large = savedStore(*bulkCube(300, 300), "large.db");
    const std::string largeBefore = readFile(large);
    const Failure journal = failureWithFileSizeLimit(
        largeBefore.size() / 2, large, [&] { CubeStore::open(large).save(*bulkCube(299, 300)); });
    EXPECT_TRUE(contains(journal, "(File too large)")) << journal.description();
    EXPECT_EQ(readFile(large), largeBefore);

    // A first save that cannot grow its file leaves nothing behind.
    const fs::path fresh = dir / "fresh.db";
    const Failure first = failureWithFileSizeLimit(
        65536, fresh, [&] { CubeStore::open(fresh).save(*bulkCube(100, 200)); });
    EXPECT_TRUE(contains(first, "(File too large)")) << first.description();
    EXPECT_FALSE(fs::exists(fresh));
}

// A copy of file and its journal taken in the middle of a write transaction that has run write
// and already overwritten pages of the file: what a crash there would leave behind.
fs::path crashedDuring(const fs::path& file,
                       const std::function<void(sqlite::Connection&)>& write) {
    const fs::path crashed = file.parent_path() / ("crashed-" + file.filename().string());
    sqlite::Connection db(file.string(), sqlite::Connection::Mode::ReadWriteCreate);
    db.exec("PRAGMA cache_size=2; PRAGMA journal_mode=DELETE");
    sqlite::Transaction transaction(db);
    write(db);
    fs::copy_file(file, crashed);
    fs::copy_file(fs::path(file.string() + "-journal"), crashed.string() + "-journal");
    return crashed;
}

TEST_F(CubeStoreTest, InterruptedSaveIsRolledBackOnOpen) {
    const auto previous = bulkCube(50, 100);
    const fs::path file = savedStore(*previous);
    const std::string before = readFile(file);
    const fs::path crashed = crashedDuring(file, [](sqlite::Connection& db) {
        db.exec("UPDATE member_block SET members = zeroblob(length(members))");
    });
    ASSERT_NE(readFile(crashed), before) << "the picture shows no interrupted write";

    EXPECT_EQ(describe(*CubeStore::open(crashed).load()), describe(*previous));
    EXPECT_FALSE(fs::exists(crashed.string() + "-journal"));
    EXPECT_EQ(readFile(crashed), before);
}

// A first save killed in its commit leaves the file half written (its header not yet stamped)
// and the journal that undoes it.
TEST_F(CubeStoreTest, KilledFirstSaveLeavesAStoreThatHoldsNothingYet) {
    const fs::path crashed = crashedDuring(dir / "first.db", [](sqlite::Connection& db) {
        db.exec("CREATE TABLE filler (x TEXT)");
        for (int i = 0; i < 200; ++i) {
            db.exec("INSERT INTO filler VALUES (hex(randomblob(400)))");
        }
    });
    ASSERT_GT(fs::file_size(crashed), 0u) << "the picture shows no interrupted write";

    CubeStore store = CubeStore::open(crashed);
    EXPECT_FALSE(store.exists());
    EXPECT_TRUE(store.load()->dimensions().empty());
    EXPECT_FALSE(fs::exists(crashed.string() + "-journal"));
    const auto cube = sampleCube();
    store.save(*cube);
    EXPECT_EQ(describe(*CubeStore::open(crashed).load()), describe(*cube));
}

TEST_F(CubeStoreTest, FirstSaveBuildsTheStoreBesideItAndCleansUpAfterKilledOnes) {
    // A process that no longer runs.
    const pid_t gone = testing::startChild([] { return 0; });
    testing::waitForChild(gone);
    const fs::path file = dir / "new.db";
    const fs::path stale = dir / ("new.db.new-" + std::to_string(gone));
    writeFile(stale, "half a store");
    writeFile(stale.string() + "-journal", "its journal");
    const fs::path unrelated = dir / "new.db.new-notes";
    writeFile(unrelated, "kept");
    // A first save still under way in another process (this one's parent).
    const std::string running = "new.db.new-" + std::to_string(getppid());
    writeFile(dir / running, "being built");

    const auto cube = sampleCube();
    CubeStore::open(file).save(*cube);
    EXPECT_EQ(describe(*CubeStore::open(file).load()), describe(*cube));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"new.db", running, "new.db.new-notes"}));
}

TEST_F(CubeStoreTest, WritersOfDifferentDimensionsKeepEachOthersWork) {
    const fs::path file = savedStore(*sampleCube());
    // Two programs load the same store, each generates a dimension of its own and saves.
    CubeStore first = CubeStore::open(file);
    CubeStore second = CubeStore::open(file);
    const auto firstCube = first.load();
    const auto secondCube = second.load();
    auto addDimension = [&](MemoryCube& cube, const char* name) {
        auto dimension = cube.ensureDimension(name);
        auto hierarchy = dimension->objects().newHierarchy();
        hierarchy->putName(std::string("Of ") + name);
        dimension->addHierarchy(hierarchy);
    };
    addDimension(*firstCube, "A");
    addDimension(*secondCube, "B");
    secondCube->dimension("Time")->hierarchies().front()->putName("Renamed by B");
    first.save(*firstCube, {"A"});
    second.save(*secondCube, {"B"});

    const auto stored = CubeStore::open(file).load();
    std::vector<std::string> names;
    for (const auto& dimension : stored->dimensions()) {
        names.push_back(dimension->name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Time", "Empty", "A", "B"}));
    // Only a writer's own dimensions are taken from it when the file changed under it.
    EXPECT_EQ(stored->dimension("Time")->hierarchies().front()->name(), "Period");
    EXPECT_EQ(stored->dimension("A")->hierarchies().front()->name(), "Of A");

    // Unchanged since it was loaded, the store takes the writer's cube as a whole.
    CubeStore third = CubeStore::open(file);
    const auto thirdCube = third.load();
    thirdCube->dimension("Time")->hierarchies().front()->putName("Renamed by C");
    third.save(*thirdCube, {"C"});
    EXPECT_EQ(describe(*CubeStore::open(file).load()), describe(*thirdCube));
}

// A save compares the store's change counter with the one it loaded while it holds the write
// lock. Reading the counter must not give that lock up: POSIX locks belong to the process and
// the file, so opening and closing the file anew would drop them and let another program write
// at the same time (which once lost a concurrent writer's dimension).
TEST_F(CubeStoreTest, ReadingTheChangeCounterKeepsTheWriteLock) {
    const fs::path file = savedStore(*sampleCube());
    sqlite::Connection db(file.string(), sqlite::Connection::Mode::ReadWriteCreate);
    db.exec("BEGIN IMMEDIATE");
    const auto before = db.fileChangeCounter();
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(db.fileChangeCounter(), before);

    // Another process asks the system whether the write lock is held. It asks with fcntl, not
    // through SQLite, whose memory copied by fork() believes this process's locks its own.
    // SQLite holds its write (reserved) lock on the byte after its pending byte, 0x40000000.
    const int held = testing::inChild([&] {
        const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
        struct flock probe = {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = 0x40000001;
        probe.l_len = 1;
        if (fd < 0 || ::fcntl(fd, F_GETLK, &probe) != 0) {
            return 2;
        }
        return probe.l_type == F_UNLCK ? 0 : 1;
    });
    EXPECT_EQ(held, 1) << "0: the write lock was given up";
    db.exec("ROLLBACK");
}

}  // namespace
}  // namespace annalex::cube
