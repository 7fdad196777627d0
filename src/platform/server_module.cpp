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

std::wstring serverModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(module_, path.data(), size);
        if (length == 0 || size > 0x10000) {  // no answer, or longer than any Windows path
            return {};
        }
        if (length < size) {  // otherwise the path was cut to fit: try a larger buffer
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
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
