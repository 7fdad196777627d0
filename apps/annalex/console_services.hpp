#pragma once
// The page's services on a terminal: each message box becomes one line "Title: text" on
// standard error, in the order shown; the hourglass marks the generation, during which a
// progress bar (years done of years in the range) is drawn on standard error when it is a
// terminal and the generation has taken more than a second.

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "control/page_services.hpp"

namespace annalex::cli {

class ConsoleMessages final : public control::MessageService {
  public:
    explicit ConsoleMessages(bool quiet) : quiet_(quiet) {}
    void show(const control::MessageBoxRequest& request) override;

  private:
    bool quiet_;  // leaves out the "Info" notice
};

class ConsoleProgress final : public control::PointerService {
  public:
    // Draws only when enabled (standard error is a terminal).
    explicit ConsoleProgress(bool enabled) : enabled_(enabled) {}

    // Asked for the number of years when the generation starts.
    void setTotalSource(std::function<int()> source) { totalSource_ = std::move(source); }
    // One more year done.
    void step();
    void setPointer(control::MousePointer pointer) override;

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

}  // namespace annalex::cli
