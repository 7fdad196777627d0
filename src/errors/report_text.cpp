#include "errors/report_text.hpp"

namespace annalex::errors {

std::string logLine(const std::string& label, const std::string& value) {
    std::string line = label;
    if (line.size() < 15) {
        line.append(15 - line.size(), ' ');
    }
    return line + ": " + value;
}

std::string reportFieldLines(const FailureReport& report, const std::string& lineEnd) {
    return logLine("Module", report.errModName) + lineEnd +
           logLine("Procedure", report.errProcName) + lineEnd +
           logLine("Number", std::to_string(report.VmErrNumber)) + lineEnd +
           logLine("Description", report.VmErrDescription) + lineEnd +
           logLine("Last DLL Error", std::to_string(report.VmErrLastDllError)) + lineEnd +
           logLine("Source", report.VmErrSource) + lineEnd;
}

}  // namespace annalex::errors
