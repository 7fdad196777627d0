#include "platform/page_drawing.hpp"

#include <algorithm>

#include "platform/page_layout.hpp"
#include "platform/wide_text.hpp"

namespace annalex::platform {

namespace {

using control::ControlKind;

// Sizes on the page, in twips: a tick box or option mark, the gap beside it, the indent of a
// box's text and of a frame's caption.
constexpr int kMarkTwips = 195;
constexpr int kGapTwips = 45;
constexpr int kCaptionIndentTwips = 120;

void drawText(HDC dc, const std::string& text, RECT area, UINT format) {
    const std::wstring wide = toWide(text);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, format | DT_NOPREFIX);
}

int textHeight(HDC dc) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
}

// A sunken box in the window colour, as edit boxes and lists are drawn; its inside.
RECT sunkenBox(HDC dc, RECT area) {
    DrawEdge(dc, &area, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return area;
}

// An etched frame; a caption interrupts its top edge.
void drawFrame(HDC dc, const RECT& area, const std::string& caption, const PageScale& scale) {
    const int height = textHeight(dc);
    RECT edge = area;
    if (!caption.empty()) {
        edge.top += height / 2;
    }
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
    if (caption.empty()) {
        return;
    }
    const std::wstring wide = toWide(caption);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    const int left = area.left + scale.x(kCaptionIndentTwips);
    RECT text{left, area.top, std::min(left + size.cx, area.right), area.top + height};
    FillRect(dc, &text, GetSysColorBrush(COLOR_BTNFACE));
    drawText(dc, caption, text, DT_LEFT | DT_SINGLELINE);
}

// A tick box or option mark at the left of area, centred in its height; the room after it.
RECT drawMark(HDC dc, const RECT& area, UINT state, const PageScale& scale) {
    const int side = std::min<int>(scale.y(kMarkTwips), area.bottom - area.top);
    const int top = area.top + (area.bottom - area.top - side) / 2;
    RECT mark{area.left, top, area.left + side, top + side};
    DrawFrameControl(dc, &mark, DFC_BUTTON, state);
    return {mark.right + scale.x(kGapTwips), area.top, area.right, area.bottom};
}

void drawControl(HDC dc, const control::PageControl& model, const RECT& area,
                 const PageScale& scale) {
    const UINT oneLine = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    switch (model.kind()) {
        case ControlKind::Frame:
            drawFrame(dc, area, static_cast<const control::Frame&>(model).caption(), scale);
            break;
        case ControlKind::Label: {
            const auto& label = static_cast<const control::Label&>(model);
            drawText(dc, label.caption(), area,
                     label.alignment() == control::TextAlignment::Centre ? DT_CENTER : DT_LEFT);
            break;
        }
        case ControlKind::TextBox: {
            RECT inside = sunkenBox(dc, area);
            inside.left += scale.x(kGapTwips);
            drawText(dc, static_cast<const control::TextBox&>(model).text(), inside, oneLine);
            break;
        }
        case ControlKind::DropDownList: {
            RECT inside = sunkenBox(dc, area);
            RECT button = inside;
            button.left = std::max(inside.left, inside.right - (inside.bottom - inside.top));
            DrawFrameControl(dc, &button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
            inside.right = button.left;
            inside.left += scale.x(kGapTwips);
            drawText(dc, static_cast<const control::DropDownList&>(model).text(), inside, oneLine);
            break;
        }
        case ControlKind::CheckList: {
            const auto& list = static_cast<const control::CheckList&>(model);
            const RECT inside = sunkenBox(dc, area);
            const auto rows = static_cast<int>(list.entries().size());
            for (int i = 0; i < rows; ++i) {
                const RECT row{inside.left + scale.x(kGapTwips),
                               inside.top + (inside.bottom - inside.top) * i / rows, inside.right,
                               inside.top + (inside.bottom - inside.top) * (i + 1) / rows};
                const UINT state = DFCS_BUTTONCHECK | (list.selected(i) ? DFCS_CHECKED : 0);
                drawText(dc, list.entries()[static_cast<std::size_t>(i)],
                         drawMark(dc, row, state, scale), oneLine);
            }
            break;
        }
        case ControlKind::OptionButton: {
            const auto& button = static_cast<const control::OptionButton&>(model);
            const UINT state = DFCS_BUTTONRADIO | (button.value() ? DFCS_CHECKED : 0);
            drawText(dc, button.caption(), drawMark(dc, area, state, scale), oneLine);
            break;
        }
        case ControlKind::PushButton: {
            RECT face = area;
            DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH);
            drawText(dc, static_cast<const control::PushButton&>(model).caption(), area,
                     DT_SINGLELINE | DT_VCENTER | DT_CENTER);
            break;
        }
    }
}

}  // namespace

void drawPage(HDC dc, const RECT& bounds, const control::CalendarPage& page) {
    const PageScale scale = PageScale::fitting(bounds, page);
    PageFonts fonts(scale);
    const int saved = SaveDC(dc);
    FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    for (const control::PageControl* model : page.controls()) {
        SelectObject(dc, fonts.fontOf(*model));
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        drawControl(dc, *model,
                    deviceRect(placeOnPage(page, *model), scale, {bounds.left, bounds.top}), scale);
    }
    RestoreDC(dc, saved);  // deselects the fonts before they go
}

}  // namespace annalex::platform
