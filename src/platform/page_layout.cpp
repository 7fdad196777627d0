#include "platform/page_layout.hpp"

#include <cmath>

#include "platform/wide_text.hpp"

namespace annalex::platform {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kTwipsPerPoint = 20;

const control::FontSpec kDefaultFont{"MS Sans Serif", 8.25, false};
constexpr double kSmallestPoints = 6;

bool sameFont(const control::FontSpec& a, const control::FontSpec& b) {
    return a.family == b.family && a.pointSize == b.pointSize && a.bold == b.bold;
}

}  // namespace

PageScale PageScale::ofDpi(UINT dpiX, UINT dpiY) {
    return {static_cast<int>(dpiX), kTwipsPerInch, static_cast<int>(dpiY), kTwipsPerInch};
}

PageScale PageScale::fitting(const RECT& bounds, const control::CalendarPage& page) {
    const control::Geometry& outer = page.Frame1.geometry();
    return {static_cast<int>(bounds.right - bounds.left), outer.left + outer.width,
            static_cast<int>(bounds.bottom - bounds.top), outer.top + outer.height};
}

control::Geometry placeOnPage(const control::CalendarPage& page,
                              const control::PageControl& control) {
    control::Geometry place = control.geometry();
    for (const control::PageControl* frame = page.find(control.container()); frame != nullptr;
         frame = page.find(frame->container())) {
        place.left += frame->geometry().left;
        place.top += frame->geometry().top;
    }
    return place;
}

RECT deviceRect(const control::Geometry& place, const PageScale& scale, POINT origin) {
    const int left = origin.x + scale.x(place.left);
    const int top = origin.y + scale.y(place.top);
    return {left, top, left + scale.x(place.width), top + scale.y(place.height)};
}

PageFonts::PageFonts(const PageScale& scale)
    : scale_(scale), measure_(CreateCompatibleDC(nullptr)) {}

PageFonts::~PageFonts() {
    DeleteDC(measure_);
    for (const Made& kept : made_) {
        DeleteObject(kept.font);
    }
}

HFONT PageFonts::fontOf(const control::PageControl& control) {
    control::FontSpec wanted = control.font().isDefault() ? kDefaultFont : control.font();
    HFONT font = made(wanted);
    if (control.kind() != control::ControlKind::Label) {
        return font;
    }
    const std::wstring caption = toWide(static_cast<const control::Label&>(control).caption());
    const int width = scale_.x(control.geometry().width);
    while (font != nullptr && textWidth(font, caption) > width &&
           wanted.pointSize - 0.25 >= kSmallestPoints) {
        wanted.pointSize -= 0.25;
        font = made(wanted);
    }
    return font;
}

HFONT PageFonts::made(const control::FontSpec& wanted) {
    for (const Made& kept : made_) {
        if (sameFont(kept.wanted, wanted)) {
            return kept.font;
        }
    }
    // The height in device units of the font's em, negative: GDI matches the character height.
    const int twips = static_cast<int>(std::lround(wanted.pointSize * kTwipsPerPoint));
    const HFONT font =
        CreateFontW(-scale_.y(twips), 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                    FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, toWide(wanted.family).c_str());
    if (font != nullptr) {
        made_.push_back({wanted, font});
    }
    return font;
}

int PageFonts::textWidth(HFONT font, const std::wstring& text) const {
    const HGDIOBJ before = SelectObject(measure_, font);
    SIZE size{};
    GetTextExtentPoint32W(measure_, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(measure_, before);
    return size.cx;
}

}  // namespace annalex::platform
