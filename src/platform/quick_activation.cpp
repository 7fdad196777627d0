#include "platform/quick_activation.hpp"

#include <wrl/client.h>

#include "platform/embedding.hpp"

namespace annalex::platform {

HRESULT QuickActivation::QuickActivate(QACONTAINER* container, QACONTROL* control) {
    if (container == nullptr || control == nullptr) {
        return E_POINTER;
    }
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) {
        return E_INVALIDARG;
    }
    control->dwMiscStatus = miscStatus_;
    control->dwViewStatus = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;  // no bindable properties
    control->dwPointerActivationPolicy = 0;
    embedding().setClientSite(container->pClientSite);
    if (container->pAdviseSink != nullptr) {
        embedding().setViewAdvice(DVASPECT_CONTENT, 0, container->pAdviseSink);
    }
    if (container->pUnkEventSink != nullptr) {
        Microsoft::WRL::ComPtr<IConnectionPointContainer> points;
        Microsoft::WRL::ComPtr<IConnectionPoint> point;
        if (FAILED(this->QueryInterface(IID_PPV_ARGS(&points))) ||
            FAILED(points->FindConnectionPoint(events_, &point))) {
            return E_UNEXPECTED;
        }
        return point->Advise(container->pUnkEventSink, &control->dwEventCookie);
    }
    return S_OK;
}

HRESULT QuickActivation::SetContentExtent(LPSIZEL size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    embedding().setExtent(*size);
    return S_OK;
}

HRESULT QuickActivation::GetContentExtent(LPSIZEL size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    *size = embedding().extent();
    return S_OK;
}

}  // namespace annalex::platform
