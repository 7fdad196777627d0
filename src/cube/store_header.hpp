#pragma once
// Judges the first bytes of a file as the header of a cube store, without SQLite.
//
// A store is an SQLite file stamped with the application id "ANLX" and a format version in its
// user version. Stores are always written with the same page layout (no reserved bytes at the
// end of a page, the fixed payload fractions), so a header that records anything else has been
// damaged; SQLite would read such a file with the wrong page geometry and write the damage back.

#include <cstdint>
#include <span>
#include <string>

namespace annalex::cube {

// Stamped into the file header so that other SQLite files are told apart from stores ("ANLX").
inline constexpr std::int32_t kApplicationId = 0x414E4C58;
// The newest store format this version reads (it reads every older one too) and the one it
// writes.
inline constexpr std::int32_t kStoreFormat = 3;
// The length of an SQLite file header.
inline constexpr std::size_t kHeaderSize = 100;

struct HeaderVerdict {
    enum class Kind {
        Store,        // a store of a readable format
        NotAStore,    // another file, or another SQLite file
        NewerFormat,  // a store written by a newer version
        Damaged,      // a store whose header contradicts itself or the file
    };
    Kind kind = Kind::NotAStore;
    std::string why;  // for NewerFormat and Damaged: what is wrong, for a message
    std::int64_t format = 0;
};

// header holds the file's first bytes (fewer than kHeaderSize when the file is shorter);
// fileSize is the file's length, not 0. The length recorded in the header is only compared with
// fileSize when no journal lies beside the file: an interrupted save leaves the file shorter or
// longer until it is rolled back.
HeaderVerdict judgeHeader(std::span<const unsigned char> header, std::uint64_t fileSize,
                          bool journalBeside);

}  // namespace annalex::cube
