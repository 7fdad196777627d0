#pragma once
// The trap's reporter for a calendar page on the desktop: the failure goes to the application's
// one error report form (QtErrorReport), and the window that holds the page is closed first
// when the failure came from one of the page's procedures.
//
// A failure of the report itself (for example a user data folder that cannot be made) is shown
// as a run-time error box, the desktop's handling of failures nothing else handles; once the
// box is closed the application ends unless another of its windows is on screen (the window
// that held the page was closed already), so that no process is left without a window.

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

  private:
    QtMessageService& messages_;
    QPointer<QWidget> container_;
};

}  // namespace annalex::ui
