#include "cube/cube_writer.hpp"

#include <algorithm>
#include <string>

#include "cube/block_packing.hpp"
#include "cube/store_checksum.hpp"

namespace annalex::cube {
namespace {

// Binds the values of a row to statement, feeds them to the catalog's checksum in the same
// order, and inserts the row.
class CatalogRows {
  public:
    explicit CatalogRows(StoreChecksum& checksum) : checksum_(checksum) {}

    template <typename... Values>
    void insert(sqlite::Statement& statement, const Values&... values) {
        int column = 1;
        (bindOne(statement, column++, values), ...);
        statement.step();
        statement.reset();
    }

  private:
    void bindOne(sqlite::Statement& statement, int column, std::int64_t value) {
        statement.bind(column, value);
        checksum_.add(value);
    }
    void bindOne(sqlite::Statement& statement, int column, const std::string& text) {
        statement.bind(column, std::string_view(text));
        checksum_.add(std::string_view(text));
    }

    StoreChecksum& checksum_;
};

}  // namespace

void writeStoredCube(sqlite::Connection& db,
                     const std::vector<const MemoryDimension*>& dimensions) {
    db.exec(
        "DELETE FROM member_block; DELETE FROM attribute_def; DELETE FROM level;"
        "DELETE FROM hierarchy; DELETE FROM dimension; DELETE FROM catalog_checksum;");
    sqlite::Statement insertDimension = db.prepare("INSERT INTO dimension VALUES (?1, ?2)");
    sqlite::Statement insertHierarchy = db.prepare("INSERT INTO hierarchy VALUES (?1, ?2, ?3, ?4)");
    sqlite::Statement insertLevel = db.prepare("INSERT INTO level VALUES (?1, ?2, ?3, ?4)");
    sqlite::Statement insertDefinition =
        db.prepare("INSERT INTO attribute_def VALUES (?1, ?2, ?3, ?4, ?5)");

    // The catalog first, in the order a load reads it: dimensions, hierarchies, levels, then
    // definitions, each by its key.
    StoreChecksum checksum;
    CatalogRows rows(checksum);
    for (std::size_t d = 0; d < dimensions.size(); ++d) {
        rows.insert(insertDimension, static_cast<std::int64_t>(d), dimensions[d]->name());
    }
    std::vector<const MemoryHierarchy*> hierarchies;
    for (std::size_t d = 0; d < dimensions.size(); ++d) {
        for (const auto& hierarchy : dimensions[d]->hierarchies()) {
            rows.insert(insertHierarchy, static_cast<std::int64_t>(hierarchies.size()),
                        static_cast<std::int64_t>(d), hierarchy->name(),
                        static_cast<std::int64_t>(hierarchy->memberCount()));
            hierarchies.push_back(hierarchy.get());
        }
    }
    for (std::size_t h = 0; h < hierarchies.size(); ++h) {
        for (std::size_t l = 0; l < hierarchies[h]->levelCount(); ++l) {
            const MemoryLevel& level = hierarchies[h]->level(l);
            rows.insert(insertLevel, static_cast<std::int64_t>(h), static_cast<std::int64_t>(l),
                        level.name(), std::int64_t{level.type()});
        }
    }
    for (std::size_t h = 0; h < hierarchies.size(); ++h) {
        for (std::size_t l = 0; l < hierarchies[h]->levelCount(); ++l) {
            const auto& definitions = hierarchies[h]->level(l).attributeDefs();
            for (std::size_t a = 0; a < definitions.size(); ++a) {
                rows.insert(insertDefinition, static_cast<std::int64_t>(h),
                            static_cast<std::int64_t>(l), static_cast<std::int64_t>(a),
                            definitions[a]->key(), definitions[a]->caption());
            }
        }
    }
    sqlite::Statement insertChecksum = db.prepare("INSERT INTO catalog_checksum VALUES (?1)");
    insertChecksum.bind(1, std::int64_t{checksum.value()});
    insertChecksum.step();

    // A NULL key appends with the next row number, which spares a uniqueness seek per block.
    sqlite::Statement insertBlock =
        db.prepare("INSERT INTO member_block VALUES (NULL, ?1, ?2, ?3, ?4, ?5)");
    BlockPacking packing(hierarchies);
    PackedBlock block;
    while (packing.next(block)) {
        insertBlock.bind(1, block.hierarchy);
        insertBlock.bind(2, std::int64_t{block.first});
        insertBlock.bind(3, std::int64_t{block.count});
        insertBlock.bindBlob(
            4, {reinterpret_cast<const unsigned char*>(block.bytes.data()), block.bytes.size()});
        insertBlock.bind(5, std::int64_t{block.checksum});
        insertBlock.step();
        insertBlock.reset();
    }
}

}  // namespace annalex::cube
