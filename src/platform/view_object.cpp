#include "platform/view_object.hpp"

#include "platform/embedding.hpp"
#include "platform/page_drawing.hpp"

namespace annalex::platform {

HRESULT ViewObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                         LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (dc == nullptr || bounds == nullptr) {
        return E_INVALIDARG;
    }
    drawPage(dc, {bounds->left, bounds->top, bounds->right, bounds->bottom}, embedding().page());
    return S_OK;
}

HRESULT ViewObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors == nullptr) {
        return E_POINTER;
    }
    *colors = nullptr;
    return S_FALSE;  // the system's colours only
}

HRESULT ViewObject::Freeze(DWORD, LONG, void*, DWORD* freeze) {
    if (freeze != nullptr) {
        *freeze = 0;
    }
    return E_NOTIMPL;
}

HRESULT ViewObject::Unfreeze(DWORD) {
    return OLE_E_NOCONNECTION;
}

HRESULT ViewObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    embedding().setViewAdvice(aspects, flags, sink);
    return S_OK;
}

HRESULT ViewObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    return embedding().viewAdvice(aspects, flags, sink);
}

HRESULT ViewObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    *size = embedding().extent();
    return S_OK;
}

}  // namespace annalex::platform
