#include "settings/profile_write_error.hpp"

namespace annalex::settings {
namespace {

thread_local int lastError = 0;
thread_local std::string lastProblem;

}  // namespace

int lastProfileWriteError() {
    return lastError;
}

const std::string& lastProfileWriteProblem() {
    return lastProblem;
}

void setLastProfileWriteError(int error, std::string problem) {
    lastError = error;
    lastProblem = std::move(problem);
}

}  // namespace annalex::settings
