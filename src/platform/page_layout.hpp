#pragma once
// The calendar page's layout on a Windows device: where each control lies and in which font.
//
// The page models give each control's place in twips (1/1440 inch) relative to the frame that
// holds it, and its font in points. A device shows the page at some number of its units per
// twip: a window at its DPI (dpi units per 1440 twips), a container's drawing at whatever its
// bounds make of the page's size. Places are converted from the page's origin, each of left,
// top, width and height rounded to the nearest unit (as the Qt face does), so that a control
// lies where the layout puts it whatever frames hold it.

#include <windows.h>

#include <string>
#include <vector>

#include "control/calendar_page.hpp"

namespace annalex::platform {

// Device units per twip, horizontally and vertically, as exact fractions.
struct PageScale {
    int unitsX = 1;
    int twipsX = 1;
    int unitsY = 1;
    int twipsY = 1;

    // A window's scale at its DPI.
    static PageScale ofDpi(UINT dpiX, UINT dpiY);
    // The scale at which the page's outer frame fills bounds.
    static PageScale fitting(const RECT& bounds, const control::CalendarPage& page);

    int x(int twips) const { return MulDiv(twips, unitsX, twipsX); }
    int y(int twips) const { return MulDiv(twips, unitsY, twipsY); }
};

// The control's place from the page's origin, in twips: its own place plus the places of the
// frames that hold it.
control::Geometry placeOnPage(const control::CalendarPage& page,
                              const control::PageControl& control);

// A place in twips as a rectangle of device units, from origin.
RECT deviceRect(const control::Geometry& place, const PageScale& scale, POINT origin = {0, 0});

// The fonts of the page's controls at a scale, made when first asked for and kept until the
// object goes. A control that names no font of its own shows the page's default: MS Sans Serif
// at 8.25 points, the font the layout was made for. Where the machine's version of a font is
// wider than the one the layout was made with, a label whose caption would not fit its width
// gets a smaller size of its font, a quarter point at a time, down to 6 points.
class PageFonts {
  public:
    explicit PageFonts(const PageScale& scale);
    ~PageFonts();
    PageFonts(const PageFonts&) = delete;
    PageFonts& operator=(const PageFonts&) = delete;

    // Null only when GDI could make no font at all.
    HFONT fontOf(const control::PageControl& control);

  private:
    HFONT made(const control::FontSpec& wanted);
    int textWidth(HFONT font, const std::wstring& text) const;

    struct Made {
        control::FontSpec wanted;
        HFONT font;
    };
    PageScale scale_;
    HDC measure_;
    std::vector<Made> made_;
};

}  // namespace annalex::platform
