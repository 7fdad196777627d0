#pragma once
// The failure fields of a report as the error log writes them: one line per field, the label
// padded to 15 characters and ": ", so every value starts in column 18.

#include <string>

#include "errors/failure_report.hpp"

namespace annalex::errors {

// "Module         : AnnalexCtrl" ... "Source         : Annalex", each line ended by lineEnd.
std::string reportFieldLines(const FailureReport& report, const std::string& lineEnd = "\n");

// One log line: label padded with spaces to 15 characters, ": ", the value.
std::string logLine(const std::string& label, const std::string& value);

}  // namespace annalex::errors
