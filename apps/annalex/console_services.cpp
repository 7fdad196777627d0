#include "console_services.hpp"

#include <algorithm>
#include <iostream>

namespace annalex::cli {

void ConsoleMessages::show(const control::MessageBoxRequest& request) {
    if (quiet_ && request.title == "Info") {
        return;
    }
    std::cerr << request.title << ": " << request.text << std::endl;
}

void ConsoleProgress::setPointer(control::MousePointer pointer) {
    if (pointer == control::MousePointer::Hourglass) {
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

}  // namespace annalex::cli
