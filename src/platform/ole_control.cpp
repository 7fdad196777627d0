#include "platform/ole_control.hpp"

#include <olectl.h>

namespace annalex::platform {

HRESULT OleControl::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    if (info->cb < sizeof(CONTROLINFO)) {
        return E_INVALIDARG;
    }
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = CTRLINFO_EATS_RETURN | CTRLINFO_EATS_ESCAPE;
    return S_OK;
}

HRESULT OleControl::OnMnemonic(MSG*) {
    return S_OK;
}

HRESULT OleControl::OnAmbientPropertyChange(DISPID) {
    return S_OK;
}

HRESULT OleControl::FreezeEvents(BOOL freeze) {
    freezeEvents(freeze != FALSE);
    return S_OK;
}

}  // namespace annalex::platform
