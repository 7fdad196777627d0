#include "ui/qt_failure_reporter.hpp"

#include "report/handler_failures.hpp"
#include "ui/qt_error_report.hpp"

namespace annalex::ui {

void QtFailureReporter::report(const errors::FailureReport& failure,
                               errors::ContainerAction action) {
    QWidget* container = action == errors::ContainerAction::Close ? container_.data() : nullptr;
    if (const auto failed =
            report::runTimeErrorOf([&] { QtErrorReport::instance().report(failure, container); })) {
        messages_.show(*failed);
        QtErrorReport::quitWhenNoWindowIsLeft();
    }
}

}  // namespace annalex::ui
