#include "cube/cube_writer.hpp"

#include <algorithm>
#include <string>

#include "cube/member_blocks.hpp"

namespace annalex::cube {

void writeStoredCube(sqlite::Connection& db,
                     const std::vector<const MemoryDimension*>& dimensions) {
    db.exec(
        "DELETE FROM member_block; DELETE FROM attribute_def; DELETE FROM level;"
        "DELETE FROM hierarchy; DELETE FROM dimension;");
    sqlite::Statement insertDimension = db.prepare("INSERT INTO dimension VALUES (?1, ?2)");
    sqlite::Statement insertHierarchy = db.prepare("INSERT INTO hierarchy VALUES (?1, ?2, ?3, ?4)");
    sqlite::Statement insertLevel = db.prepare("INSERT INTO level VALUES (?1, ?2, ?3, ?4)");
    sqlite::Statement insertDefinition =
        db.prepare("INSERT INTO attribute_def VALUES (?1, ?2, ?3, ?4, ?5)");
    // A NULL key appends with the next row number, which spares a uniqueness seek per block.
    sqlite::Statement insertBlock =
        db.prepare("INSERT INTO member_block VALUES (NULL, ?1, ?2, ?3, ?4)");

    std::int64_t hierarchyId = 0;
    std::string packed;
    for (std::size_t d = 0; d < dimensions.size(); ++d) {
        const MemoryDimension& dimension = *dimensions[d];
        insertDimension.bind(1, static_cast<std::int64_t>(d));
        insertDimension.bind(2, dimension.name());
        insertDimension.step();
        insertDimension.reset();

        for (const auto& hierarchyRef : dimension.hierarchies()) {
            const MemoryHierarchy& hierarchy = *hierarchyRef;
            const auto count = static_cast<std::uint32_t>(hierarchy.memberCount());
            insertHierarchy.bind(1, hierarchyId);
            insertHierarchy.bind(2, static_cast<std::int64_t>(d));
            insertHierarchy.bind(3, hierarchy.name());
            insertHierarchy.bind(4, std::int64_t{count});
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

            for (std::uint32_t first = 0; first < count; first += kMembersPerBlock) {
                const std::uint32_t inBlock = std::min(kMembersPerBlock, count - first);
                packMembers(*hierarchy.store(), first, inBlock, packed);
                insertBlock.bind(1, hierarchyId);
                insertBlock.bind(2, std::int64_t{first});
                insertBlock.bind(3, std::int64_t{inBlock});
                insertBlock.bindBlob(
                    4, {reinterpret_cast<const unsigned char*>(packed.data()), packed.size()});
                insertBlock.step();
                insertBlock.reset();
            }
            ++hierarchyId;
        }
    }
}

}  // namespace annalex::cube
