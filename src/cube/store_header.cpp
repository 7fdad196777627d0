#include "cube/store_header.hpp"

#include <cstring>

namespace annalex::cube {
namespace {

std::uint32_t bigEndian32(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

HeaderVerdict damaged(std::string why) {
    return {HeaderVerdict::Kind::Damaged, std::move(why), 0};
}

}  // namespace

HeaderVerdict judgeHeader(std::span<const unsigned char> header, std::uint64_t fileSize,
                          bool journalBeside) {
    static constexpr char kMagic[] = "SQLite format 3";  // with its terminating zero
    if (header.size() < kHeaderSize || std::memcmp(header.data(), kMagic, sizeof kMagic) != 0 ||
        static_cast<std::int32_t>(bigEndian32(&header[68])) != kApplicationId) {
        return {};
    }
    const auto format = static_cast<std::int32_t>(bigEndian32(&header[60]));
    if (format > kStoreFormat) {
        return {HeaderVerdict::Kind::NewerFormat, {}, format};
    }
    if (format < 1) {
        return damaged("it records no format version");
    }

    std::uint64_t pageSize = (std::uint64_t{header[16]} << 8) | header[17];
    if (pageSize == 1) {
        pageSize = 65536;
    }
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0) {
        return damaged("its header records an impossible page size");
    }
    // Bytes 18 and 19: journal modes (1 rollback, 2 write-ahead log); byte 20: bytes reserved
    // at the end of each page, which stores never use; bytes 21 to 23: fixed payload fractions.
    if (header[18] < 1 || header[18] > 2 || header[19] < 1 || header[19] > 2 || header[20] != 0 ||
        header[21] != 64 || header[22] != 32 || header[23] != 32) {
        return damaged("its header records a page layout that stores never use");
    }

    // The page count is valid when its "valid for" counter matches the change counter.
    const std::uint64_t pages = bigEndian32(&header[28]);
    const bool countValid = bigEndian32(&header[92]) == bigEndian32(&header[24]);
    if (countValid && !journalBeside && pages * pageSize > fileSize) {
        return damaged("the file is truncated (" + std::to_string(fileSize) + " of " +
                       std::to_string(pages * pageSize) + " bytes)");
    }
    return {HeaderVerdict::Kind::Store, {}, format};
}

}  // namespace annalex::cube
