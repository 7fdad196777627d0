#include "common/process_state.hpp"

#include <signal.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>

namespace annalex {

bool processRuns(pid_t process) {
    if (::kill(process, 0) != 0 && errno == ESRCH) {
        return false;
    }
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return true;  // no /proc to ask: it exists
    }
    const auto close = line.rfind(')');  // the state follows the command name in parentheses
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

std::string processStartTime(pid_t process) {
    std::ifstream in("/proc/" + std::to_string(process) + "/stat");
    const std::string stat{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // The command name (field 2) is in parentheses and may hold anything, blanks included: the
    // fields are counted from the last ")". Field 3 follows it; the start time is field 22.
    std::size_t at = stat.rfind(')');
    if (at == std::string::npos) {
        return {};
    }
    at += 1;
    for (int field = 3; field <= 22; ++field) {
        at = stat.find_first_not_of(' ', at);
        if (at == std::string::npos) {
            return {};
        }
        const std::size_t end = stat.find(' ', at);
        if (field == 22) {
            return stat.substr(at, end == std::string::npos ? std::string::npos : end - at);
        }
        at = end;
    }
    return {};
}

}  // namespace annalex
