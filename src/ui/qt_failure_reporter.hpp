#pragma once
// A plain error report for the desktop: until the full report dialog exists, a failure is shown
// as a message box titled "Error Report" listing the six report fields. As the trap asks, the
// window that holds the control is closed first when the failure came from one of its
// procedures.

#include <QPointer>
#include <QWidget>

#include "errors/failure_reporter.hpp"
#include "ui/qt_message_service.hpp"

namespace annalex::ui {

class QtFailureReporter final : public errors::FailureReporter {
  public:
    QtFailureReporter(QtMessageService& messages, QWidget* container)
        : messages_(messages), container_(container) {}

    void report(const errors::FailureReport& failure, errors::ContainerAction action) override;

    // The text of the box: one "field: value" line per report field.
    static std::string reportText(const errors::FailureReport& failure);

  private:
    QtMessageService& messages_;
    QPointer<QWidget> container_;
};

}  // namespace annalex::ui
