#pragma once
// The tables of a cube store and the queries that read them, for each format a store can have.
// A store holds these tables and nothing else: any other table, index, view or trigger was put
// there by another program, and makes the store damaged.
//
// Format 3 (written). Dimensions, hierarchies, levels and attribute definitions have a row
// each, numbered in the cube's order; catalog_checksum holds one row, the CRC-32 of all of
// them (store_checksum.hpp). A hierarchy's members are packed in blocks of consecutive ids,
// their attribute values coded by key (member_blocks.hpp), numbered by seq in the order of the
// hierarchies and, within one, of their first member; each block carries the CRC-32 of its
// hierarchy, first member, count and bytes. A hierarchy records how many members it has, so a
// missing block is seen.
//
// Format 2 (read). As format 3 without the checksums, the blocks holding each member's
// attribute values as texts beside it.
//
// Format 1 (read). The same tables, without member_count, and a row per member and per
// attribute value instead of blocks: members of all hierarchies numbered in one sequence
// (seq), hierarchy after hierarchy, each in placement order, a member's id being its seq less
// that of its hierarchy's first member; child_count is how many members name it as parent.

#include <string_view>

namespace annalex::cube::schema {

inline constexpr std::string_view kCreateTables = R"sql(
CREATE TABLE dimension (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL
);
CREATE TABLE hierarchy (
    id INTEGER PRIMARY KEY,
    dimension INTEGER NOT NULL,
    name TEXT NOT NULL,
    member_count INTEGER NOT NULL
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
CREATE TABLE member_block (
    seq INTEGER PRIMARY KEY,
    hierarchy INTEGER NOT NULL,
    first INTEGER NOT NULL,
    count INTEGER NOT NULL,
    members BLOB NOT NULL,
    checksum INTEGER NOT NULL
);
CREATE TABLE catalog_checksum (
    crc INTEGER NOT NULL
);
)sql";

// The tables of each format, the only objects a store of that format holds.
inline constexpr std::string_view kTablesV1[] = {"dimension",     "hierarchy", "level",
                                                 "attribute_def", "member",    "attribute"};
inline constexpr std::string_view kTablesV2[] = {"dimension", "hierarchy", "level", "attribute_def",
                                                 "member_block"};
inline constexpr std::string_view kTablesV3[] = {
    "dimension", "hierarchy", "level", "attribute_def", "member_block", "catalog_checksum"};

// Every table any format has had, for replacing an older format's tables.
inline constexpr std::string_view kDropTables =
    "DROP TABLE IF EXISTS catalog_checksum;"
    "DROP TABLE IF EXISTS member_block; DROP TABLE IF EXISTS attribute;"
    "DROP TABLE IF EXISTS member; DROP TABLE IF EXISTS attribute_def;"
    "DROP TABLE IF EXISTS level; DROP TABLE IF EXISTS hierarchy;"
    "DROP TABLE IF EXISTS dimension;";

inline constexpr std::string_view kSelectDimensions = "SELECT id, name FROM dimension ORDER BY id";
inline constexpr std::string_view kSelectHierarchies =
    "SELECT id, dimension, name, member_count FROM hierarchy ORDER BY id";
inline constexpr std::string_view kSelectLevels =
    "SELECT hierarchy, position, name, type FROM level ORDER BY hierarchy, position";
inline constexpr std::string_view kSelectDefinitions =
    "SELECT hierarchy, level, position, key, caption FROM attribute_def "
    "ORDER BY hierarchy, level, position";
inline constexpr std::string_view kSelectBlocks =
    "SELECT hierarchy, first, count, members, checksum FROM member_block ORDER BY seq";
inline constexpr std::string_view kSelectCatalogChecksum = "SELECT crc FROM catalog_checksum";
inline constexpr std::string_view kSelectObjects = "SELECT type, name FROM sqlite_schema";

// Format 2.
inline constexpr std::string_view kSelectBlocksV2 =
    "SELECT hierarchy, first, count, members, NULL FROM member_block ORDER BY seq";

// Format 1.
inline constexpr std::string_view kSelectHierarchiesV1 =
    "SELECT id, dimension, name, NULL FROM hierarchy ORDER BY id";
inline constexpr std::string_view kSelectMembersV1 =
    "SELECT seq, hierarchy, level, parent, name, \"order\", child_count FROM member "
    "ORDER BY seq";
inline constexpr std::string_view kSelectAttributesV1 =
    "SELECT seq, member, definition, value FROM attribute ORDER BY seq";

}  // namespace annalex::cube::schema
