#include <cstdint>
#include <string>

#include "common/failure.hpp"
#include "report/little_endian.hpp"
#include "report/picture.hpp"

namespace annalex::report {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

}  // namespace

std::string bitmapFileBytes(const Picture& picture) {
    if (picture.empty()) {
        raise(ErrorNumber::InvalidProcedureCall, "There is no screen picture to save",
              "Annalex.Report");
    }
    const auto width = static_cast<std::uint32_t>(picture.width());
    const auto height = static_cast<std::uint32_t>(picture.height());
    const std::uint32_t rowBytes = (width * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * height;

    std::string bytes;
    bytes.reserve(kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    // BITMAPFILEHEADER
    bytes.push_back('B');
    bytes.push_back('M');
    put32(bytes, kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    put32(bytes, 0);
    put32(bytes, kFileHeaderSize + kInfoHeaderSize);
    // BITMAPINFOHEADER: positive height (bottom-up rows), one plane, 24 bits, no compression,
    // 96 dpi (3780 pixels per metre), no palette entries.
    put32(bytes, kInfoHeaderSize);
    put32(bytes, width);
    put32(bytes, height);
    put16(bytes, 1);
    put16(bytes, 24);
    put32(bytes, 0);
    put32(bytes, pixelBytes);
    put32(bytes, 3780);
    put32(bytes, 3780);
    put32(bytes, 0);
    put32(bytes, 0);

    for (std::int32_t y = picture.height() - 1; y >= 0; --y) {
        const std::uint32_t* pixels = picture.row(y);
        for (std::uint32_t x = 0; x < width; ++x) {
            bytes.push_back(static_cast<char>(pixels[x]));        // blue
            bytes.push_back(static_cast<char>(pixels[x] >> 8));   // green
            bytes.push_back(static_cast<char>(pixels[x] >> 16));  // red
        }
        bytes.append(rowBytes - width * 3, '\0');
    }
    return bytes;
}

}  // namespace annalex::report
