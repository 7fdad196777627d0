#include "ui/qt_failure_reporter.hpp"

#include "common/failure.hpp"
#include "ui/qt_error_report.hpp"

namespace annalex::ui {

void QtFailureReporter::report(const errors::FailureReport& failure,
                               errors::ContainerAction action) {
    QWidget* container = action == errors::ContainerAction::Close ? container_.data() : nullptr;
    try {
        QtErrorReport::instance().report(failure, container);
    } catch (const Failure& reportFailure) {
        messages_.show(
            ReportDialog::runTimeErrorMessage(reportFailure.number(), reportFailure.description()));
    }
}

}  // namespace annalex::ui
