#include "ui/qt_failure_reporter.hpp"

#include <string>

namespace annalex::ui {

std::string QtFailureReporter::reportText(const errors::FailureReport& failure) {
    return "errModName: " + failure.errModName + "\nerrProcName: " + failure.errProcName +
           "\nVmErrDescription: " + failure.VmErrDescription +
           "\nVmErrNumber: " + std::to_string(failure.VmErrNumber) +
           "\nVmErrSource: " + failure.VmErrSource +
           "\nVmErrLastDllError: " + std::to_string(failure.VmErrLastDllError);
}

void QtFailureReporter::report(const errors::FailureReport& failure,
                               errors::ContainerAction action) {
    if (action == errors::ContainerAction::Close && container_) {
        container_->window()->close();
    }
    messages_.show({"Error Report", reportText(failure), control::MessageIcon::None,
                    control::MessageModality::Application, true});
}

}  // namespace annalex::ui
