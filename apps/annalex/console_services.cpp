#include "console_services.hpp"

#include <algorithm>
#include <iostream>

#include "common/failure.hpp"
#ifdef ANNALEX_HAVE_REPORT_FORM
#include "report/report_paths.hpp"
#endif
#include "report/report_text.hpp"

namespace annalex::cli {

void ConsoleMessages::show(const MessageBoxRequest& request) {
    if (quiet_ && request.title == "Info") {
        return;
    }
    std::cerr << request.title << ": " << request.text << std::endl;
}

void ConsoleProgress::setPointer(MousePointer pointer) {
    if (pointer == MousePointer::Hourglass) {
        busy_ = true;
        done_ = 0;
        total_ = totalSource_ ? totalSource_() : 0;
        started_ = std::chrono::steady_clock::now();
    } else {
        busy_ = false;
        erase();
    }
}

void ConsoleProgress::step() {
    if (!enabled_ || !busy_) {
        return;
    }
    ++done_;
    const auto now = std::chrono::steady_clock::now();
    if (now - started_ < std::chrono::seconds(1) ||
        (drawn_ && now - lastDrawn_ < std::chrono::milliseconds(100))) {
        return;
    }
    lastDrawn_ = now;
    draw();
}

void ConsoleProgress::draw() {
    constexpr int kWidth = 40;
    const int total = std::max(total_, done_);
    const int filled = total == 0 ? kWidth : done_ * kWidth / total;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    std::cerr << "\r[" << bar << "] " << done_ << "/" << total << " years" << std::flush;
    drawn_ = true;
}

void ConsoleProgress::erase() {
    if (drawn_) {
        std::cerr << "\r" << std::string(70, ' ') << "\r" << std::flush;
        drawn_ = false;
    }
}

void ConsoleReporter::report(const errors::FailureReport& failure, errors::ContainerAction) {
    reports_.push_back(failure);
    std::cerr << "Unexpected failure:\n" << report::reportFieldLines(failure) << std::flush;
#ifdef ANNALEX_HAVE_REPORT_FORM
    appendToLog(failure);
#endif
}

#ifdef ANNALEX_HAVE_REPORT_FORM
void ConsoleReporter::appendToLog(const errors::FailureReport& failure) {
    std::string installed = settings_.readString("Installed");
    try {
        const bool standIn = installed.empty();
        if (standIn) {
#ifdef _WIN32
            installed = files_.userDataFolder();
#else
            return;
#endif
        }
        const report::ReportPaths paths(installed, std::string());
        if (standIn) {
            files_.createDirectory(files_.hostPath(paths.errorLogs));  // made at the first report
        }
        const std::string log = files_.hostPath(paths.errorLog);
        const report::LogStamp stamp{report::generalDateText(clock_.now()), build_.compiledText(),
                                     build_.versionText()};
        files_.appendLogEntry(log, report::logEntry(stamp, failure, kDescription));
    } catch (const Failure& cannotLog) {
        std::cerr << "annalex: the error log was not written: " << cannotLog.description() << '\n';
    }
}
#endif

}  // namespace annalex::cli
