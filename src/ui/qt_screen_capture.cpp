#include "ui/qt_screen_capture.hpp"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <memory>

namespace annalex::ui {

report::Picture QtScreenCapture::captureScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    // Window 0 is the whole screen.
    auto image = std::make_shared<QImage>(screen->grabWindow(0).toImage());
    if (image->format() != QImage::Format_RGB32) {
        *image = image->convertToFormat(QImage::Format_RGB32);
    }
    if (image->isNull()) {
        return {};
    }
    const QImage& pixels = *image;
    return {pixels.width(), pixels.height(), static_cast<std::int32_t>(pixels.bytesPerLine()),
            reinterpret_cast<const std::uint32_t*>(pixels.constBits()), std::move(image)};
}

}  // namespace annalex::ui
