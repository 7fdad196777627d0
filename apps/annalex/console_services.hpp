#pragma once
// The page's services on a terminal: each message box becomes one line "Title: text" on
// standard error, in the order shown; the hourglass marks the generation, during which a
// progress bar (years done of years in the range) is drawn on standard error when it is a
// terminal and the generation has taken more than a second. A failure that reaches the trap is
// printed at once, and logged when the product is installed.

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/message_service.hpp"
#include "common/pointer_service.hpp"
#include "errors/failure_reporter.hpp"
#include "report/build_info.hpp"
#ifdef ANNALEX_HAVE_REPORT_FORM
#include "report/product_settings.hpp"
#ifdef _WIN32
#include "report/win32_files.hpp"
#else
#include "report/posix_files.hpp"
#endif
#endif

namespace annalex::cli {

class ConsoleMessages final : public MessageService {
  public:
    explicit ConsoleMessages(bool quiet) : quiet_(quiet) {}
    void show(const MessageBoxRequest& request) override;

  private:
    bool quiet_;  // leaves out the "Info" notice
};

class ConsoleProgress final : public PointerService {
  public:
    // Draws only when enabled (standard error is a terminal).
    explicit ConsoleProgress(bool enabled) : enabled_(enabled) {}

    // Asked for the number of years when the generation starts.
    void setTotalSource(std::function<int()> source) { totalSource_ = std::move(source); }
    // One more year done.
    void step();
    void setPointer(MousePointer pointer) override;

  private:
    void draw();
    void erase();

    bool enabled_;
    bool busy_ = false;
    bool drawn_ = false;
    std::function<int()> totalSource_;
    int total_ = 0;
    int done_ = 0;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastDrawn_;
};

// The command line's failure reporter. There is no report form: each failure is printed on
// standard error at once, as "Unexpected failure:" and the six failure lines of the error log.
// A whole log entry is appended to the error log below "Installed" ("Error Logs/VmError.log",
// created when missing), its description saying that the report came from the command line; a
// log that cannot be written is said on standard error. On Linux an empty or missing "Installed"
// means no installation and nothing is logged (a command line run by scripts and tests leaves
// no files behind); on Windows the user's data folder (%LOCALAPPDATA%\Annalex) stands in, as it
// does for the report form. (Builds without the report form's services only print.)
class ConsoleReporter final : public errors::FailureReporter {
  public:
    static constexpr const char* kDescription =
        "Reported by the annalex command line, which has no report form";

    void report(const errors::FailureReport& failure, errors::ContainerAction container) override;
    const std::vector<errors::FailureReport>& reports() const { return reports_; }

  private:
#ifdef ANNALEX_HAVE_REPORT_FORM  // the error log needs the report form's files and settings
    void appendToLog(const errors::FailureReport& failure);

    report::ProductSettings settings_;
#ifdef _WIN32
    report::Win32Files files_;
#else
    report::PosixFiles files_;
#endif
    report::SystemClock clock_;
    report::ThisBuild build_;
#endif
    std::vector<errors::FailureReport> reports_;
};

}  // namespace annalex::cli
