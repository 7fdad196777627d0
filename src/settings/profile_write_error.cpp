#include "settings/profile_write_error.hpp"

namespace annalex::settings {
namespace {

thread_local int lastError = 0;

}  // namespace

int lastProfileWriteError() {
    return lastError;
}

void setLastProfileWriteError(int error) {
    lastError = error;
}

}  // namespace annalex::settings
