#pragma once
// The CRC-32 (zlib's) that a store keeps of each member block and of its catalog (the rows of
// dimensions, hierarchies, levels and attribute definitions), so that a changed byte anywhere
// in them is seen on reading instead of being loaded and written back.
//
// Values are fed in a fixed form: an integer as eight bytes, least significant first; a text
// as its length so fed and then its bytes; bytes as they are.

#include <cstdint>
#include <span>
#include <string_view>

namespace annalex::cube {

class StoreChecksum {
  public:
    StoreChecksum();
    void add(std::int64_t value);
    void add(std::string_view text);
    void addBytes(std::span<const unsigned char> bytes);
    std::uint32_t value() const { return crc_; }

  private:
    std::uint32_t crc_;
};

// A member block's checksum: its hierarchy, first member and count, then its bytes.
std::uint32_t blockChecksum(std::int64_t hierarchy, std::int64_t first, std::int64_t count,
                            std::span<const unsigned char> bytes);

}  // namespace annalex::cube
