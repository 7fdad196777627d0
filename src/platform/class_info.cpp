#include "platform/class_info.hpp"

#include "platform/type_library.hpp"

namespace annalex::platform {

HRESULT ProvidesClassInfo::GetClassInfo(ITypeInfo** info) {
    return serverTypeInfo(clsid_, info);
}

HRESULT ProvidesClassInfo::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) {
        return E_POINTER;
    }
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID || defaultSource_ == nullptr) {
        return E_INVALIDARG;
    }
    *guid = *defaultSource_;
    return S_OK;
}

}  // namespace annalex::platform
