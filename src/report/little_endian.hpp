#pragma once
// Little-endian numbers appended to a byte string: the byte order of the file formats the report
// writes (Windows bitmaps, zip archives).

#include <cstdint>
#include <string>

namespace annalex::report {

inline void put16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value));
    out.push_back(static_cast<char>(value >> 8));
}

inline void put32(std::string& out, std::uint32_t value) {
    put16(out, static_cast<std::uint16_t>(value));
    put16(out, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace annalex::report
