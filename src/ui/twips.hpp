#pragma once
// Page geometry is given in twips (1/1440 inch); the screen's logical resolution turns it into
// pixels, so the page keeps its proportions to the font at any scaling.

#include <QRect>
#include <cmath>
#include <cstdint>

#include "control/page_controls.hpp"

namespace annalex::ui {

inline constexpr double kTwipsPerInch = 1440.0;

// pixels = twips * logicalDpi / 1440, rounded to the nearest pixel.
inline int twipsToPixels(std::int32_t twips, double logicalDpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * logicalDpi / kTwipsPerInch));
}

inline QRect twipsToPixels(const control::Geometry& geometry, double dpiX, double dpiY) {
    return {twipsToPixels(geometry.left, dpiX), twipsToPixels(geometry.top, dpiY),
            twipsToPixels(geometry.width, dpiX), twipsToPixels(geometry.height, dpiY)};
}

}  // namespace annalex::ui
