#pragma once
// The error log's text: one line per field, the label padded to 15 characters and ": ", so every
// value starts in column 18.

#include <chrono>
#include <string>
#include <string_view>

#include "errors/failure_report.hpp"

namespace annalex::report {

// The line that ends every log entry: 48 hyphens.
inline constexpr std::string_view kLogSeparator =
    "------------------------------------------------";
inline constexpr std::string_view kCrLf = "\r\n";

// What the entry says about when and by what it was written.
struct LogStamp {
    std::string dateTime;  // "Date & Time"
    std::string compiled;  // "Date Compiled"
    std::string build;     // "Build", major.minor.revision
};

// One log line: label padded with spaces to 15 characters, ": ", the value.
std::string logLine(const std::string& label, const std::string& value);

// The six failure lines, "Module         : AnnalexCtrl" to "Source         : Annalex", each
// ended by lineEnd.
std::string reportFieldLines(const errors::FailureReport& report,
                             const std::string& lineEnd = "\n");

// The nine field lines of an entry, "Date & Time" to "Source", each ended by lineEnd.
std::string logFieldLines(const LogStamp& stamp, const errors::FailureReport& report,
                          const std::string& lineEnd = std::string(kCrLf));

// A whole log entry: the nine field lines, "Description" with the person's own words as typed
// (their line breaks as CR LF), the separator, each line ended by CR LF.
std::string logEntry(const LogStamp& stamp, const errors::FailureReport& report,
                     const std::string& whatDoing);

// The text with every line break (LF, CR or CR LF) written as CR LF: a text box may give LF
// alone, the log and the mail hold CR LF.
std::string withCrLf(std::string_view text);

// A moment as the locale's date and time representation (the environment's LC_TIME, as strftime
// "%c" writes it in local time), without leading or trailing blanks.
std::string generalDateText(std::chrono::system_clock::time_point moment);

}  // namespace annalex::report
