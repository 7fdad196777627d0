#pragma once
// Stand-ins for what the report form cannot reach in a test process without a screen: a fixed
// picture for the screen, a fixed clock and build, and a view that records how the form was put
// on screen. Everything else the form uses is real (settings store, files, zip, process start).

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "common/failure.hpp"
#include "report/error_report_form.hpp"
#include "report/posix_files.hpp"
#include "report/product_settings.hpp"
#include "report/report_form_keeper.hpp"
#include "report/smtp_mail.hpp"
#include "report/spawn_process.hpp"
#include "report/zip_archive.hpp"
#include "support/page_doubles.hpp"

namespace annalex::errors {

inline void PrintTo(const FailureReport& report, std::ostream* out) {
    *out << "{" << report.errModName << " | " << report.errProcName << " | "
         << report.VmErrDescription << " | " << report.VmErrNumber << " | " << report.VmErrSource
         << " | " << report.VmErrLastDllError << "}";
}

}  // namespace annalex::errors

namespace annalex::testing {

// A 5 x 3 picture: pixel (x, y) is 0xff000000 | x << 16 | y << 8 | 0x40; a failing screen
// raises a Failure.
class FixedScreen final : public report::ScreenCapture {
  public:
    static constexpr int kWidth = 5;
    static constexpr int kHeight = 3;
    report::Picture captureScreen() override {
        ++captures;
        if (onCapture) {
            onCapture();
        }
        if (failing) {
            throw Failure(ErrorNumber::OutOfMemory);
        }
        auto pixels = std::make_shared<std::vector<std::uint32_t>>();
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                pixels->push_back(0xff000000u | static_cast<std::uint32_t>(x) << 16 |
                                  static_cast<std::uint32_t>(y) << 8 | 0x40u);
            }
        }
        return {kWidth, kHeight, kWidth * 4, pixels->data(), pixels};
    }
    int captures = 0;
    bool failing = false;
    std::function<void()> onCapture;
};

class FixedClock final : public report::Clock {
  public:
    std::chrono::system_clock::time_point now() override { return moment; }
    // 23 July 2001, 22:14:39 UTC.
    std::chrono::system_clock::time_point moment =
        std::chrono::sys_days{std::chrono::year{2001} / 7 / 23} + std::chrono::hours{22} +
        std::chrono::minutes{14} + std::chrono::seconds{39};
};

class FixedBuild final : public report::BuildInfo {
  public:
    std::string versionText() const override { return "2.0.54"; }
    std::string compiledText() const override { return "23/07/2001 22:14:39"; }
};

// Every service of the form: the real system ones and the stand-ins above.
struct FormServices {
    report::ProductSettings settings;
    report::PosixFiles files;
    report::ZipArchives archives;
    report::SpawnedRestart restart;
    FixedScreen screen;
    RecordingMessages messages;
    RecordingPointer pointer;
    FixedClock clock;
    FixedBuild build;
    report::SmtpMail mail;
    report::InlineWork background;

    report::ReportFormServices services() {
        return {settings, files, archives, restart, screen,    messages,
                pointer,  clock, build,    mail,    background};
    }
};

// How the keeper put its forms on screen.
struct ViewLog {
    int modeless = 0;
    int modal = 0;
    bool refuseModeless = false;
};

class RecordingView final : public report::ReportFormView {
  public:
    RecordingView(report::frmErrorHand& form, ViewLog& log) : form_(form), log_(log) {}
    void showModeless() override {
        if (log_.refuseModeless) {
            throw std::runtime_error("modeless refused");
        }
        ++log_.modeless;
        visible_ = true;
    }
    // Returns once "the person" has closed the form.
    void showModal() override {
        ++log_.modal;
        form_.unloadForm();
    }
    bool visible() const override { return visible_ && !form_.unloaded(); }

  private:
    report::frmErrorHand& form_;
    ViewLog& log_;
    bool visible_ = false;
};

}  // namespace annalex::testing
