#include "cube/cube_reader.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cube/member_blocks.hpp"
#include "cube/store_checksum.hpp"
#include "cube/store_failures.hpp"
#include "cube/store_schema.hpp"

namespace annalex::cube {
namespace {

namespace fs = std::filesystem;
using sqlite::Connection;
using sqlite::Statement;

// The first row number of the member and attribute tables of format 1.
constexpr std::int64_t kFirstSeq = 1;

template <typename T>
T checkedColumn(const Statement& row, int column, const fs::path& file, const char* what) {
    const std::int64_t value = row.integer(column);
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
        damagedStore(file, std::string(what) + " " + std::to_string(value) + " is out of range");
    }
    return static_cast<T>(value);
}

// The checksum of the catalog: the rows of dimensions, hierarchies, levels and attribute
// definitions in the order a load reads them, each column as the save fed it (i: integer,
// t: text).
std::uint32_t catalogChecksum(Connection& db) {
    const std::pair<std::string_view, std::string_view> tables[] = {
        {schema::kSelectDimensions, "it"},
        {schema::kSelectHierarchies, "iiti"},
        {schema::kSelectLevels, "iiti"},
        {schema::kSelectDefinitions, "iiitt"},
    };
    StoreChecksum checksum;
    for (const auto& [query, columns] : tables) {
        Statement rows = db.prepare(query);
        while (rows.step()) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (columns[c] == 'i') {
                    checksum.add(rows.integer(static_cast<int>(c)));
                } else {
                    checksum.add(rows.text(static_cast<int>(c)));
                }
            }
        }
    }
    return checksum.value();
}

// The catalog's rows must be those the store's checksum was taken of.
void requireCatalogChecksum(Connection& db, const fs::path& file) {
    const std::uint32_t expected = catalogChecksum(db);
    Statement rows = db.prepare(schema::kSelectCatalogChecksum);
    if (!rows.step()) {
        damagedStore(file, "its catalog checksum is missing");
    }
    const bool matches = !rows.isNull(0) && rows.integer(0) == std::int64_t{expected};
    if (!matches || rows.step()) {
        damagedStore(file,
                     "its dimensions, hierarchies, levels or attribute definitions were changed "
                     "(their checksum does not match)");
    }
}

// The block in row (a row of kSelectBlocks) must match its checksum.
void requireBlockChecksum(const Statement& row, const fs::path& file) {
    const std::int64_t first = row.integer(1);
    if (row.isNull(4) ||
        row.integer(4) != blockChecksum(row.integer(0), first, row.integer(2), row.blob(3))) {
        damagedStore(file, "the member block at member " + std::to_string(first) +
                               " of hierarchy " + std::to_string(row.integer(0)) +
                               " was changed (its checksum does not match)");
    }
}

// What a load keeps of one hierarchy while its members arrive.
struct LoadedHierarchy {
    std::shared_ptr<MemoryDimension> dimension;
    std::shared_ptr<MemoryHierarchy> hierarchy;
    std::vector<LevelRef> levels;
    std::int64_t memberCount = 0;  // as recorded in format 2
};

class CubeReader {
  public:
    CubeReader(Connection& db, const fs::path& file, std::int64_t format)
        : db_(db), file_(file), format_(format) {}

    std::shared_ptr<MemoryCube> read() {
        auto cube = std::make_shared<MemoryCube>();
        readDimensions(*cube);
        readHierarchies(*cube);
        readLevels();
        readDefinitions();
        if (format_ >= 3) {
            requireCatalogChecksum(db_, file_);
        }
        if (format_ == 1) {
            readMembers();
        } else {
            readMemberBlocks();
        }
        return cube;
    }

  private:
    void readDimensions(MemoryCube& cube) {
        Statement rows = db_.prepare(schema::kSelectDimensions);
        while (rows.step()) {
            if (rows.integer(0) != static_cast<std::int64_t>(cube.dimensions().size())) {
                damagedStore(file_,
                             "dimension " + std::to_string(rows.integer(0)) + " is out of place");
            }
            const std::string_view name = rows.text(1);
            if (cube.dimension(name)) {
                damagedStore(file_, "dimension '" + std::string(name) + "' appears twice");
            }
            cube.ensureDimension(name);
        }
    }

    void readHierarchies(const MemoryCube& cube) {
        Statement rows =
            db_.prepare(format_ == 1 ? schema::kSelectHierarchiesV1 : schema::kSelectHierarchies);
        std::int64_t lastDimension = 0;
        while (rows.step()) {
            const std::int64_t dimension = rows.integer(1);
            if (rows.integer(0) != static_cast<std::int64_t>(hierarchies_.size()) ||
                dimension < lastDimension ||
                dimension >= static_cast<std::int64_t>(cube.dimensions().size())) {
                damagedStore(file_,
                             "hierarchy " + std::to_string(rows.integer(0)) + " is out of place");
            }
            lastDimension = dimension;
            const auto& owner = cube.dimensions()[static_cast<std::size_t>(dimension)];
            auto hierarchy = owner->objects().newHierarchy();
            hierarchy->putName(rows.text(2));
            owner->addHierarchy(hierarchy);
            const std::int64_t members = rows.isNull(3) ? 0 : rows.integer(3);
            if (members < 0 || members > std::int64_t{kNoMember}) {
                damagedStore(file_, "hierarchy " + std::to_string(rows.integer(0)) + " records " +
                                        std::to_string(members) + " members");
            }
            hierarchies_.push_back(
                {owner, std::static_pointer_cast<MemoryHierarchy>(hierarchy), {}, members});
        }
    }

    LoadedHierarchy& hierarchyAt(std::int64_t id, const char* what) {
        if (id < 0 || id >= static_cast<std::int64_t>(hierarchies_.size())) {
            damagedStore(file_, std::string(what) + " belongs to hierarchy " + std::to_string(id) +
                                    ", which does not exist");
        }
        return hierarchies_[static_cast<std::size_t>(id)];
    }

    void readLevels() {
        Statement rows = db_.prepare(schema::kSelectLevels);
        while (rows.step()) {
            LoadedHierarchy& owner = hierarchyAt(rows.integer(0), "a level");
            if (rows.integer(1) != static_cast<std::int64_t>(owner.levels.size())) {
                damagedStore(file_, "level " + std::to_string(rows.integer(1)) + " of hierarchy '" +
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
        Statement rows = db_.prepare(schema::kSelectDefinitions);
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
                damagedStore(file_, "attribute definition '" + std::string(rows.text(3)) +
                                        "' is out of place");
            }
            auto definition = owner.dimension->objects().newAttributeDef();
            definition->putName(rows.text(3));
            definition->putCaption(rows.text(4));
            owner.levels[static_cast<std::size_t>(levelPosition)]->addAttributeDef(definition);
        }
    }

    // Formats 2 and 3: each block continues its hierarchy's members where the previous one
    // ended, and the blocks of a hierarchy add up to the members it records. A block of format
    // 3 must match its checksum before anything of it is placed.
    void readMemberBlocks() {
        Statement rows =
            db_.prepare(format_ == 2 ? schema::kSelectBlocksV2 : schema::kSelectBlocks);
        std::int64_t current = -1;  // hierarchy whose blocks are arriving
        while (rows.step()) {
            const std::int64_t hierarchyId = rows.integer(0);
            if (hierarchyId < current) {
                damagedStore(file_, "the member blocks are out of order");
            }
            LoadedHierarchy& owner = hierarchyAt(hierarchyId, "a member block");
            for (; current < hierarchyId; ++current) {
                requireAllMembers(current);
            }
            MemberStore& store = *owner.hierarchy->store();
            const std::int64_t first = rows.integer(1);
            const std::int64_t count = rows.integer(2);
            if (first != static_cast<std::int64_t>(store.memberCount()) || count <= 0 ||
                count > owner.memberCount - first || !rows.isBlob(3)) {
                damagedStore(file_, "the member block at member " + std::to_string(first) +
                                        " of hierarchy '" + owner.hierarchy->name() +
                                        "' is out of place");
            }
            if (format_ >= 3) {
                requireBlockChecksum(rows, file_);
            }
            try {
                unpackMembers(rows.blob(3), static_cast<std::uint32_t>(count), format_, store);
            } catch (const BadMemberBlock& bad) {
                damagedStore(file_, "the member block at member " + std::to_string(first) +
                                        " of hierarchy '" + owner.hierarchy->name() +
                                        "': " + bad.what());
            }
        }
        for (; current < static_cast<std::int64_t>(hierarchies_.size()); ++current) {
            requireAllMembers(current);
        }
    }

    void requireAllMembers(std::int64_t hierarchyId) {
        if (hierarchyId < 0) {
            return;
        }
        const LoadedHierarchy& owner = hierarchies_[static_cast<std::size_t>(hierarchyId)];
        if (static_cast<std::int64_t>(owner.hierarchy->memberCount()) != owner.memberCount) {
            damagedStore(file_,
                         "members of hierarchy '" + owner.hierarchy->name() + "' are missing");
        }
    }

    // Format 1. Members are placed straight into their hierarchy's store: a member's id there
    // is its position in the hierarchy's rows, so the parent ids the file holds are store ids.
    void readMembers() {
        Statement rows = db_.prepare(schema::kSelectMembersV1);
        attributes_.emplace(db_.prepare(schema::kSelectAttributesV1));
        nextAttribute();
        std::int64_t seq = kFirstSeq;
        std::int64_t current = -1;  // hierarchy whose members are arriving
        std::int64_t firstSeq = 0;  // seq of its first member
        // Children each member still expects (saturated), and how many members expect some.
        std::vector<std::uint32_t> childrenToCome;
        std::size_t openParents = 0;
        while (rows.step()) {
            if (rows.integer(0) != seq) {
                damagedStore(file_, "member " + std::to_string(seq) + " is missing");
            }
            const std::int64_t hierarchyId = rows.integer(1);
            if (hierarchyId != current) {
                finishHierarchy(current, openParents);
                if (hierarchyId < current) {
                    damagedStore(file_, "the members are out of order");
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
                damagedStore(file_, "member " + std::to_string(id) + " of hierarchy '" +
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
                    damagedStore(file_, "member " + std::to_string(id) + " of hierarchy '" +
                                            owner.hierarchy->name() + "' has no valid parent");
                }
                parent = static_cast<std::uint32_t>(parentId);
            }
            if (store.place(rows.text(4), order, static_cast<std::uint16_t>(level), parent) !=
                memberId) {
                damagedStore(file_, "the members of hierarchy '" + owner.hierarchy->name() +
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
            damagedStore(file_, "an attribute value belongs to no member");
        }
    }

    void finishHierarchy(std::int64_t hierarchyId, std::size_t openParents) {
        if (openParents != 0) {
            damagedStore(file_,
                         "members of hierarchy " + std::to_string(hierarchyId) + " are missing");
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
            damagedStore(file_, "the attribute values are out of order");
        }
        attributeMember_ = rows.integer(1);
    }

    // Sets the values stored for the member at seq, which the attribute rows list in member
    // order, each member's values in the order they were set.
    void readAttributes(const LoadedHierarchy& owner, std::int64_t seq, std::uint32_t id) {
        if (attributeMember_ != seq) {
            if (attributeMember_ >= 0 && attributeMember_ < seq) {
                damagedStore(file_, "an attribute value belongs to no member");
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
                damagedStore(file_, "an attribute value of member " + std::to_string(id) +
                                        " of hierarchy '" + owner.hierarchy->name() +
                                        "' is out of place");
            }
            seen_[static_cast<std::size_t>(definition)] = true;
            // setAttribute finds a key's first definition; a value stored under a later
            // definition of the same key could not be set back.
            const std::string& key = definitions[static_cast<std::size_t>(definition)]->key();
            if (level.attributeIndex(key) != definition) {
                damagedStore(file_, "an attribute value of member " + std::to_string(id) +
                                        " names a hidden definition");
            }
            owner.hierarchy->store()->setAttribute(id, static_cast<std::uint16_t>(definition),
                                                   rows.text(3));
            nextAttribute();
        } while (attributeMember_ == seq);
    }

    Connection& db_;
    const fs::path& file_;
    std::int64_t format_;
    std::vector<LoadedHierarchy> hierarchies_;
    std::optional<Statement> attributes_;
    std::int64_t attributeSeq_ = kFirstSeq;
    std::int64_t attributeMember_ = 0;
    std::vector<bool> seen_;
};

}  // namespace

void checkStoreTables(Connection& db, const fs::path& file, std::int64_t format) {
    // Only the format's own tables: another object (a trigger above all, which would run
    // inside a save) was put there by another program.
    const std::span<const std::string_view> tables =
        format == 1   ? std::span<const std::string_view>(schema::kTablesV1)
        : format == 2 ? std::span<const std::string_view>(schema::kTablesV2)
                      : std::span<const std::string_view>(schema::kTablesV3);
    Statement objects = db.prepare(schema::kSelectObjects);
    while (objects.step()) {
        const std::string_view type = objects.text(0);
        const std::string_view name = objects.text(1);
        if (type != "table" || std::find(tables.begin(), tables.end(), name) == tables.end()) {
            damagedStore(file, "it holds the " + std::string(type) + " '" + std::string(name) +
                                   "', which no cube store has");
        }
    }
    const std::vector<std::string_view> queries =
        format == 1
            ? std::vector<std::string_view>{schema::kSelectDimensions, schema::kSelectHierarchiesV1,
                                            schema::kSelectLevels,     schema::kSelectDefinitions,
                                            schema::kSelectMembersV1,  schema::kSelectAttributesV1}
        : format == 2
            ? std::vector<std::string_view>{schema::kSelectDimensions, schema::kSelectHierarchies,
                                            schema::kSelectLevels, schema::kSelectDefinitions,
                                            schema::kSelectBlocksV2}
            : std::vector<std::string_view>{
                  schema::kSelectDimensions, schema::kSelectHierarchies,
                  schema::kSelectLevels,     schema::kSelectDefinitions,
                  schema::kSelectBlocks,     schema::kSelectCatalogChecksum};
    for (std::string_view query : queries) {
        try {
            db.prepare(query);
        } catch (const sqlite::Error& error) {
            if (error.code() == SQLITE_ERROR) {  // a missing table or column
                damagedStore(file, error.what());
            }
            throw;
        }
    }
}

void requireIntactBlocks(Connection& db, const fs::path& file, std::int64_t format) {
    if (format < 2) {
        return;  // format 1 keeps a row per member, and no blocks
    }
    if (format >= 3) {
        requireCatalogChecksum(db, file);
    }
    // Per hierarchy id: the members its catalog row counts, and those its blocks hold so far.
    std::map<std::int64_t, std::pair<std::int64_t, std::int64_t>> members;
    Statement hierarchies = db.prepare(schema::kSelectHierarchies);
    while (hierarchies.step()) {
        members[hierarchies.integer(0)] = {hierarchies.integer(3), 0};
    }
    Statement rows = db.prepare(format >= 3 ? schema::kSelectBlocks : schema::kSelectBlocksV2);
    while (rows.step()) {
        if (format >= 3) {
            requireBlockChecksum(rows, file);
        }
        const auto owner = members.find(rows.integer(0));
        const std::int64_t first = rows.integer(1);
        if (owner == members.end() || first != owner->second.second || rows.integer(2) <= 0 ||
            rows.integer(2) > owner->second.first - first) {
            damagedStore(file, "the member block at member " + std::to_string(first) +
                                   " of hierarchy " + std::to_string(rows.integer(0)) +
                                   " is out of place");
        }
        owner->second.second += rows.integer(2);
    }
    for (const auto& [hierarchy, counts] : members) {
        if (counts.second != counts.first) {
            damagedStore(file,
                         "members of hierarchy " + std::to_string(hierarchy) + " are missing");
        }
    }
}

std::shared_ptr<MemoryCube> readStoredCube(Connection& db, const fs::path& file,
                                           std::int64_t format) {
    try {
        return CubeReader(db, file, format).read();
    } catch (const Failure& failure) {
        if (failure.source() == kCubeSource) {  // the model refused what the file holds
            damagedStore(file, failure.description());
        }
        throw;
    }
}

}  // namespace annalex::cube
