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
        QtErrorReport::quitWhenNoWindowIsLeft();
    } catch (const std::exception& other) {
        messages_.show(ReportDialog::runTimeErrorMessage(
            static_cast<std::int32_t>(ErrorNumber::InvalidProcedureCall), other.what()));
        QtErrorReport::quitWhenNoWindowIsLeft();
    }
}

}  // namespace annalex::ui
