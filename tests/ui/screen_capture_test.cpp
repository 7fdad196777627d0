// The screen picture on a real X display: the test starts its own Xvfb (a 24-bit screen of
// 640 x 480) and captures the screen through Qt, in the screen's own pixels. (How the report
// form saves a picture is the report suite's business.)

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <string>

#include "ui/qt_screen_capture.hpp"

namespace {

// An Xvfb server on a display it chooses itself; stopped with the object.
class VirtualDisplay {
  public:
    VirtualDisplay() {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24",
                   "-noreset", "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes the display's number and a line break; the pipe stays open until
        // the server is stopped, since a write that meets a closed pipe is fatal to it.
        numberPipe_ = fds[0];
        std::string number;
        char c = 0;
        while (read(numberPipe_, &c, 1) == 1 && c != '\n') {
            number += c;
        }
        if (!number.empty()) {
            display_ = ":" + number;
        }
        if (!display_.empty() && !acceptsConnections()) {
            display_.clear();
        }
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (numberPipe_ >= 0) {
            close(numberPipe_);
        }
    }
    const std::string& display() const { return display_; }

  private:
    // The server names its display before every client can reach it: wait (up to five
    // seconds) until its socket takes a connection.
    bool acceptsConnections() const {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = "/tmp/.X11-unix/X" + display_.substr(1);
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        for (int attempt = 0; attempt < 250; ++attempt) {
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            const bool connected =
                connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
            close(fd);
            if (connected) {
                return true;
            }
            usleep(20000);
        }
        return false;
    }

    pid_t pid_ = -1;
    int numberPipe_ = -1;
    std::string display_;
};

}  // namespace

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
        QCOMPARE(picture.width(), pixels.width());
        QCOMPARE(picture.height(), pixels.height());
        QVERIFY(!picture.empty());
    }
};

int main(int argc, char* argv[]) {
    VirtualDisplay display;
    if (display.display().empty()) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    setenv("DISPLAY", display.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    ScreenCaptureTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "screen_capture_test.moc"
