#pragma once
// The screen picture by GDI, as the report form takes it when it loads: a copy of a window's
// pixels into an off-screen bitmap, with the system palette carried along on a display of 256
// colours, wrapped in an OLE picture that owns the bitmap (and the palette).
//
// captureWindow takes the window's device context (its client area's, or the whole window's
// including the frame), a compatible memory context and a compatible bitmap of width x height,
// and on a palette display (raster capabilities with RC_PALETTE and a palette of exactly 256
// entries) a logical palette of the 256 system palette entries, selected and realised in the
// memory context; it copies the rectangle at (left, top) with SRCCOPY, selects the previous
// bitmap and palette back, releases both contexts and hands the bitmap and the palette (null
// when there is none) to createBitmapPicture, which makes the picture with
// OleCreatePictureIndirect, the picture owning both. captureScreen takes the desktop window
// whole at the screen's size in pixels. No result is checked along the way: a failure shows as
// an unusable picture (no picture at all when OLE cannot make one).
//
// GdiScreenCapture is the report form's ScreenCapture: the screen's picture, whose pixels are
// read once (GetDIBits, 32 bits, rows from the top, through the picture's palette) for the form
// to show and save; the model's picture keeps the OLE picture alive with its pixels.

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>
#include <wrl/client.h>

#include "report/report_services.hpp"

namespace annalex::platform {

Microsoft::WRL::ComPtr<IPictureDisp> captureWindow(HWND window, bool clientAreaOnly, LONG left,
                                                   LONG top, LONG width, LONG height);
Microsoft::WRL::ComPtr<IPictureDisp> captureScreen();
Microsoft::WRL::ComPtr<IPictureDisp> createBitmapPicture(HBITMAP bitmap, HPALETTE palette);

// The picture's pixels as the report model holds them; no picture when it has no bitmap.
report::Picture modelPicture(const Microsoft::WRL::ComPtr<IPictureDisp>& picture);

class GdiScreenCapture final : public report::ScreenCapture {
  public:
    report::Picture captureScreen() override;
};

}  // namespace annalex::platform
