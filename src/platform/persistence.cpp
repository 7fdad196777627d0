#include "platform/persistence.hpp"

namespace annalex::platform {

HRESULT Persistence::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = clsid_;
    return S_OK;
}

HRESULT Persistence::IsDirty() {
    return S_FALSE;
}

HRESULT Persistence::Load(LPSTREAM stream) {
    return stream == nullptr ? E_POINTER : S_OK;
}

HRESULT Persistence::Save(LPSTREAM stream, BOOL) {
    return stream == nullptr ? E_POINTER : S_OK;
}

HRESULT Persistence::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    size->QuadPart = 0;
    return S_OK;
}

HRESULT Persistence::InitNew() {
    return S_OK;
}

HRESULT Persistence::Load(IPropertyBag* bag, IErrorLog*) {
    return bag == nullptr ? E_POINTER : S_OK;
}

HRESULT Persistence::Save(IPropertyBag* bag, BOOL, BOOL) {
    return bag == nullptr ? E_POINTER : S_OK;
}

}  // namespace annalex::platform
