#pragma once
// A picture of the screen: 32-bit pixels, each 0xffRRGGBB in the machine's word order, rows from
// the top. The pixels are not copied: the picture refers to storage kept alive by its keeper
// (for example the toolkit's image the capture produced).

#include <cstdint>
#include <memory>
#include <string>

namespace annalex::report {

class Picture {
  public:
    Picture() = default;  // no picture
    Picture(std::int32_t width, std::int32_t height, std::int32_t bytesPerLine,
            const std::uint32_t* firstRow, std::shared_ptr<const void> keeper)
        : width_(width),
          height_(height),
          bytesPerLine_(bytesPerLine),
          firstRow_(firstRow),
          keeper_(std::move(keeper)) {}

    bool empty() const { return firstRow_ == nullptr || width_ <= 0 || height_ <= 0; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::int32_t bytesPerLine() const { return bytesPerLine_; }
    const std::uint32_t* row(std::int32_t y) const {
        return reinterpret_cast<const std::uint32_t*>(
            reinterpret_cast<const std::uint8_t*>(firstRow_) +
            static_cast<std::ptrdiff_t>(y) * bytesPerLine_);
    }
    // What keeps the pixels alive; a front end may hand it back to show the picture.
    const std::shared_ptr<const void>& keeper() const { return keeper_; }

  private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t bytesPerLine_ = 0;
    const std::uint32_t* firstRow_ = nullptr;
    std::shared_ptr<const void> keeper_;
};

// The picture as the bytes of a Windows bitmap file: a true-colour picture is written with 24
// bits per pixel, bottom row first, rows padded to four bytes, and no palette. Raises
// InvalidProcedureCall for an empty picture.
std::string bitmapFileBytes(const Picture& picture);

}  // namespace annalex::report
