#include "errors/procedure_trap.hpp"

namespace annalex::errors {

FailureReport ProcedureTrap::reportOf(const ProcedureLabels& labels, const Failure& failure) {
    FailureReport report;
    report.errModName = labels.module;
    report.errProcName = labels.procedure;
    report.VmErrDescription = failure.description();
    report.VmErrNumber = failure.number();
    report.VmErrSource = failure.source();
    report.VmErrLastDllError = failure.lastSystemError();
    return report;
}

}  // namespace annalex::errors
