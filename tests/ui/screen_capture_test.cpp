// The screen picture on a real X display: CTest runs the test under xvfb-run on a 24-bit screen
// of 640 x 480, where it captures the screen through Qt, in the screen's own pixels. (How the
// report form saves a picture is the report suite's business.)

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "ui/qt_screen_capture.hpp"

class ScreenCaptureTest : public QObject {
    Q_OBJECT

  private slots:
    void thePictureIsAsLargeAsTheScreen() {
        QCOMPARE(QGuiApplication::platformName(), "xcb");
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize pixels = screen->geometry().size() * screen->devicePixelRatio();
        QCOMPARE(pixels, QSize(640, 480));

        annalex::ui::QtScreenCapture capture;
        const annalex::report::Picture picture = capture.captureScreen();
        QVERIFY(!picture.empty());
        QCOMPARE(picture.width(), pixels.width());
        QCOMPARE(picture.height(), pixels.height());
    }
};

QTEST_MAIN(ScreenCaptureTest)

#include "screen_capture_test.moc"
