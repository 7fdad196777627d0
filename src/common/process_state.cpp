#include "common/process_state.hpp"

#include <signal.h>

#include <cerrno>
#include <fstream>
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

}  // namespace annalex
