#include "cube/store_checksum.hpp"

#include <zlib.h>

#include <limits>

namespace annalex::cube {

StoreChecksum::StoreChecksum() : crc_(static_cast<std::uint32_t>(crc32(0, Z_NULL, 0))) {}

void StoreChecksum::add(std::int64_t value) {
    unsigned char bytes[8];
    auto bits = static_cast<std::uint64_t>(value);
    for (unsigned char& byte : bytes) {
        byte = static_cast<unsigned char>(bits & 0xFF);
        bits >>= 8;
    }
    addBytes(bytes);
}

void StoreChecksum::add(std::string_view text) {
    add(static_cast<std::int64_t>(text.size()));
    addBytes({reinterpret_cast<const unsigned char*>(text.data()), text.size()});
}

void StoreChecksum::addBytes(std::span<const unsigned char> bytes) {
    // zlib takes a length of type uInt: long spans go in pieces.
    constexpr std::size_t kPiece = std::numeric_limits<uInt>::max();
    while (!bytes.empty()) {
        const std::size_t length = bytes.size() < kPiece ? bytes.size() : kPiece;
        crc_ = static_cast<std::uint32_t>(crc32(crc_, bytes.data(), static_cast<uInt>(length)));
        bytes = bytes.subspan(length);
    }
}

std::uint32_t blockChecksum(std::int64_t hierarchy, std::int64_t first, std::int64_t count,
                            std::span<const unsigned char> bytes) {
    StoreChecksum checksum;
    checksum.add(hierarchy);
    checksum.add(first);
    checksum.add(count);
    checksum.addBytes(bytes);
    return checksum.value();
}

}  // namespace annalex::cube
