#include "platform/server_module.hpp"

#include <atomic>

namespace annalex::platform {

namespace {

HMODULE module_ = nullptr;
std::atomic<long> objects_{0};
std::atomic<long> locks_{0};

}  // namespace

HMODULE serverModule() {
    return module_;
}

void setServerModule(HMODULE module) {
    module_ = module;
}

void objectCreated() {
    ++objects_;
}

void objectDestroyed() {
    --objects_;
}

void lockServer(bool lock) {
    if (lock) {
        ++locks_;
    } else {
        --locks_;
    }
}

bool serverUnused() {
    return objects_ == 0 && locks_ == 0;
}

}  // namespace annalex::platform
