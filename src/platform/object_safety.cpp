#include "platform/object_safety.hpp"

#include <ocidl.h>

namespace annalex::platform {

DWORD ObjectSafety::supportedFor(REFIID riid) const {
    if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, automation_)) {
        return INTERFACESAFE_FOR_UNTRUSTED_CALLER;
    }
    if (IsEqualIID(riid, IID_IPersistStreamInit) || IsEqualIID(riid, IID_IPersistPropertyBag)) {
        return INTERFACESAFE_FOR_UNTRUSTED_DATA;
    }
    return 0;
}

HRESULT ObjectSafety::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
    if (supported == nullptr || enabled == nullptr) {
        return E_POINTER;
    }
    *supported = supportedFor(riid);
    *enabled = enabled_ & *supported;
    return *supported == 0 ? E_NOINTERFACE : S_OK;
}

HRESULT ObjectSafety::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
    const DWORD supported = supportedFor(riid);
    if (supported == 0) {
        return E_NOINTERFACE;
    }
    if ((mask & ~supported) != 0) {
        return E_FAIL;  // a safety the interface cannot give
    }
    enabled_ = (enabled_ & ~mask) | (enabled & mask);
    return S_OK;
}

}  // namespace annalex::platform
