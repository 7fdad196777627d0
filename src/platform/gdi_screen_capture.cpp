#include "platform/gdi_screen_capture.hpp"

#include <memory>
#include <vector>

namespace annalex::platform {
namespace {

using Microsoft::WRL::ComPtr;

constexpr int kPaletteSize = 256;

bool isPaletteDisplay(HDC device) {
    return (GetDeviceCaps(device, RASTERCAPS) & RC_PALETTE) != 0 &&
           GetDeviceCaps(device, SIZEPALETTE) == kPaletteSize;
}

// A logical palette of the 256 entries of the system palette.
HPALETTE systemPalette(HDC device) {
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + (kPaletteSize - 1) * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = kPaletteSize;
    GetSystemPaletteEntries(device, 0, kPaletteSize, palette->palPalEntry);
    return CreatePalette(palette);
}

// The pixels the model shows and saves, with the OLE picture that owns the bitmap.
struct CapturedPixels {
    ComPtr<IPictureDisp> picture;
    std::vector<std::uint32_t> pixels;
};

}  // namespace

ComPtr<IPictureDisp> createBitmapPicture(HBITMAP bitmap, HPALETTE palette) {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    description.bmp.hpal = palette;
    ComPtr<IPictureDisp> picture;
    // IID_IDispatch's interface {00020400-0000-0000-C000-000000000046}, the picture owning both
    // handles.
    if (FAILED(OleCreatePictureIndirect(&description, IID_IDispatch, TRUE,
                                        reinterpret_cast<void**>(picture.GetAddressOf())))) {
        DeleteObject(bitmap);
        if (palette != nullptr) {
            DeleteObject(palette);
        }
        return nullptr;
    }
    return picture;
}

ComPtr<IPictureDisp> captureWindow(HWND window, bool clientAreaOnly, LONG left, LONG top,
                                   LONG width, LONG height) {
    const HDC source = clientAreaOnly ? GetDC(window) : GetWindowDC(window);
    const HDC memory = CreateCompatibleDC(source);
    const HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    const HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
    HPALETTE palette = nullptr;
    HPALETTE previousPalette = nullptr;
    if (isPaletteDisplay(source)) {
        palette = systemPalette(source);
        previousPalette = SelectPalette(memory, palette, FALSE);
        RealizePalette(memory);
    }
    BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
    const auto captured = static_cast<HBITMAP>(SelectObject(memory, previousBitmap));
    if (palette != nullptr) {
        palette = SelectPalette(memory, previousPalette, FALSE);
    }
    DeleteDC(memory);
    ReleaseDC(window, source);
    return createBitmapPicture(captured, palette);
}

ComPtr<IPictureDisp> captureScreen() {
    return captureWindow(GetDesktopWindow(), false, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                         GetSystemMetrics(SM_CYSCREEN));
}

report::Picture modelPicture(const ComPtr<IPictureDisp>& picture) {
    ComPtr<IPicture> handles;
    OLE_HANDLE bitmap = 0;
    OLE_HANDLE palette = 0;
    if (!picture || FAILED(picture.As(&handles)) || FAILED(handles->get_Handle(&bitmap)) ||
        bitmap == 0) {
        return {};
    }
    handles->get_hPal(&palette);
    const auto handle = reinterpret_cast<HBITMAP>(static_cast<std::uintptr_t>(bitmap));
    BITMAP size{};
    if (GetObjectW(handle, sizeof size, &size) == 0 || size.bmWidth <= 0 || size.bmHeight <= 0) {
        return {};
    }
    auto captured = std::make_shared<CapturedPixels>();
    captured->picture = picture;
    captured->pixels.resize(static_cast<std::size_t>(size.bmWidth) * size.bmHeight);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size.bmWidth;
    format.bmiHeader.biHeight = -size.bmHeight;  // rows from the top
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    const HDC screen = GetDC(nullptr);
    const auto ownPalette = reinterpret_cast<HPALETTE>(static_cast<std::uintptr_t>(palette));
    const HPALETTE previous =
        ownPalette != nullptr ? SelectPalette(screen, ownPalette, FALSE) : nullptr;
    const int rows = GetDIBits(screen, handle, 0, static_cast<UINT>(size.bmHeight),
                               captured->pixels.data(), &format, DIB_RGB_COLORS);
    if (ownPalette != nullptr) {
        SelectPalette(screen, previous, FALSE);
    }
    ReleaseDC(nullptr, screen);
    if (rows != size.bmHeight) {
        return {};
    }
    for (std::uint32_t& pixel : captured->pixels) {
        pixel |= 0xFF000000u;  // GDI leaves the unused byte 0
    }
    const std::uint32_t* first = captured->pixels.data();
    return {size.bmWidth, size.bmHeight, size.bmWidth * 4, first, std::move(captured)};
}

report::Picture GdiScreenCapture::captureScreen() {
    return modelPicture(platform::captureScreen());
}

}  // namespace annalex::platform
