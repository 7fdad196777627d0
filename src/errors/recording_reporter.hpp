#pragma once
// A failure reporter that keeps every report it is handed, in order. It stands in for the
// report dialog wherever no person is there to read one: tests, and the command line, which
// prints what it recorded.

#include <vector>

#include "errors/failure_reporter.hpp"

namespace annalex::errors {

class RecordingReporter final : public FailureReporter {
  public:
    void report(const FailureReport& failure, ContainerAction container) override {
        reports_.push_back(failure);
        if (container == ContainerAction::Close) {
            ++containerCloses_;
        }
    }

    const std::vector<FailureReport>& reports() const { return reports_; }
    int containerCloses() const { return containerCloses_; }
    void clear() {
        reports_.clear();
        containerCloses_ = 0;
    }

  private:
    std::vector<FailureReport> reports_;
    int containerCloses_ = 0;
};

}  // namespace annalex::errors
