#pragma once
// The service the procedure trap reports to: the application-wide error report.
//
// For a failure in a procedure of the control, the trap asks the reporter to close the form
// that holds the control before the report is shown; for splitLine, which belongs to no form,
// it does not. Showing is modeless when the reporter can, otherwise modal, in which case
// report() returns only when the person has closed the report.

#include "errors/failure_report.hpp"

namespace annalex::errors {

enum class ContainerAction { Close, Keep };

class FailureReporter {
  public:
    virtual ~FailureReporter() = default;
    virtual void report(const FailureReport& report, ContainerAction container) = 0;
};

}  // namespace annalex::errors
