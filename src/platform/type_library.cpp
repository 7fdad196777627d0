#include "platform/type_library.hpp"

#include <oleauto.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/server_module.hpp"

namespace annalex::platform {

namespace {

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof a) < 0; }
};

// Held for the life of the process: releasing them while the process ends could call into an
// oleaut32 that is already gone.
struct Loaded {
    std::mutex mutex;
    ITypeLib* library = nullptr;
    std::map<GUID, ITypeInfo*, GuidLess> infos;
};

Loaded& loaded() {
    static Loaded* instance = new Loaded;
    return *instance;
}

HRESULT loadLibrary(Loaded& state) {
    if (state.library != nullptr) {
        return S_OK;
    }
    const std::wstring path = serverModulePath();
    if (path.empty()) {
        return E_UNEXPECTED;
    }
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, &state.library);
}

}  // namespace

HRESULT serverTypeLibrary(ITypeLib** library) {
    if (library == nullptr) {
        return E_POINTER;
    }
    Loaded& state = loaded();
    std::lock_guard lock(state.mutex);
    *library = nullptr;
    const HRESULT result = loadLibrary(state);
    if (SUCCEEDED(result)) {
        *library = state.library;
        state.library->AddRef();
    }
    return result;
}

HRESULT serverTypeInfo(REFGUID guid, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    Loaded& state = loaded();
    std::lock_guard lock(state.mutex);
    auto found = state.infos.find(guid);
    if (found == state.infos.end()) {
        HRESULT result = loadLibrary(state);
        ITypeInfo* fresh = nullptr;
        if (SUCCEEDED(result)) {
            result = state.library->GetTypeInfoOfGuid(guid, &fresh);
        }
        if (FAILED(result)) {
            return result;
        }
        found = state.infos.emplace(guid, fresh).first;
    }
    *info = found->second;
    (*info)->AddRef();
    return S_OK;
}

}  // namespace annalex::platform
