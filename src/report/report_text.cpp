#include "report/report_text.hpp"

#include <locale.h>
#include <time.h>

#include <array>
#include <ctime>

namespace annalex::report {

std::string logLine(const std::string& label, const std::string& value) {
    std::string line = label;
    if (line.size() < 15) {
        line.append(15 - line.size(), ' ');
    }
    return line + ": " + value;
}

std::string reportFieldLines(const errors::FailureReport& report, const std::string& lineEnd) {
    return logLine("Module", report.errModName) + lineEnd +
           logLine("Procedure", report.errProcName) + lineEnd +
           logLine("Number", std::to_string(report.VmErrNumber)) + lineEnd +
           logLine("Description", report.VmErrDescription) + lineEnd +
           logLine("Last DLL Error", std::to_string(report.VmErrLastDllError)) + lineEnd +
           logLine("Source", report.VmErrSource) + lineEnd;
}

std::string logFieldLines(const LogStamp& stamp, const errors::FailureReport& report,
                          const std::string& lineEnd) {
    return logLine("Date & Time", stamp.dateTime) + lineEnd +
           logLine("Date Compiled", stamp.compiled) + lineEnd + logLine("Build", stamp.build) +
           lineEnd + reportFieldLines(report, lineEnd);
}

std::string logEntry(const LogStamp& stamp, const errors::FailureReport& report,
                     const std::string& whatDoing) {
    const std::string crLf(kCrLf);
    return logFieldLines(stamp, report, crLf) + logLine("Description", withCrLf(whatDoing)) + crLf +
           std::string(kLogSeparator) + crLf;
}

std::string withCrLf(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            result += kCrLf;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string generalDateText(std::chrono::system_clock::time_point moment) {
    const time_t seconds = std::chrono::system_clock::to_time_t(moment);
    tm local{};
    std::array<char, 256> buffer{};
#ifdef _WIN32
    // The C runtime's current locale: the MinGW runtime offers no locale-taking strftime.
    localtime_s(&local, &seconds);
    const std::size_t length = std::strftime(buffer.data(), buffer.size(), "%c", &local);
#else
    localtime_r(&seconds, &local);
    // The environment's time locale, whatever the program set as its global locale.
    locale_t timeLocale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (timeLocale == static_cast<locale_t>(nullptr)) {
        timeLocale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    }
    const std::size_t length = strftime_l(buffer.data(), buffer.size(), "%c", &local, timeLocale);
    freelocale(timeLocale);
#endif
    std::string text(buffer.data(), length);
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace annalex::report
