#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/failure.hpp"
#include "report/picture.hpp"

namespace annalex::report {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

void put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

[[noreturn]] void cannotWrite(const std::string& path) {
    const int error = noteErrno();
    raise(ErrorNumber::PathFileAccessError,
          "'" + path + "' cannot be written: " + std::strerror(error), "Annalex.Report");
}

}  // namespace

void saveBitmapFile(const Picture& picture, const std::string& path) {
    if (picture.empty()) {
        raise(ErrorNumber::InvalidProcedureCall, "There is no picture to save to '" + path + "'",
              "Annalex.Report");
    }
    const auto width = static_cast<std::uint32_t>(picture.width());
    const auto height = static_cast<std::uint32_t>(picture.height());
    const std::uint32_t rowBytes = (width * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * height;

    std::vector<std::uint8_t> header;
    header.reserve(kFileHeaderSize + kInfoHeaderSize);
    // BITMAPFILEHEADER
    header.push_back('B');
    header.push_back('M');
    put32(header, kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    put32(header, 0);
    put32(header, kFileHeaderSize + kInfoHeaderSize);
    // BITMAPINFOHEADER: positive height (bottom-up rows), one plane, 24 bits, no compression,
    // 96 dpi (3780 pixels per metre), no palette entries.
    put32(header, kInfoHeaderSize);
    put32(header, width);
    put32(header, height);
    put16(header, 1);
    put16(header, 24);
    put32(header, 0);
    put32(header, pixelBytes);
    put32(header, 3780);
    put32(header, 3780);
    put32(header, 0);
    put32(header, 0);

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        cannotWrite(path);
    }
    bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    std::vector<std::uint8_t> row(rowBytes, 0);
    for (std::int32_t y = picture.height() - 1; written && y >= 0; --y) {
        const std::uint32_t* pixels = picture.row(y);
        for (std::uint32_t x = 0; x < width; ++x) {
            row[x * 3] = static_cast<std::uint8_t>(pixels[x]);            // blue
            row[x * 3 + 1] = static_cast<std::uint8_t>(pixels[x] >> 8);   // green
            row[x * 3 + 2] = static_cast<std::uint8_t>(pixels[x] >> 16);  // red
        }
        written = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    if (std::fclose(file) != 0 || !written) {
        cannotWrite(path);
    }
}

}  // namespace annalex::report
