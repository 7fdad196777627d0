#include "platform/in_place_object.hpp"

#include "platform/embedding.hpp"

namespace annalex::platform {

HRESULT InPlaceObject::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = embedding().window();
    return *window == nullptr ? E_FAIL : S_OK;
}

HRESULT InPlaceObject::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT InPlaceObject::InPlaceDeactivate() {
    return embedding().deactivateInPlace();
}

HRESULT InPlaceObject::UIDeactivate() {
    return embedding().deactivateUI();
}

HRESULT InPlaceObject::SetObjectRects(LPCRECT position, LPCRECT clip) {
    if (position == nullptr) {
        return E_POINTER;
    }
    return embedding().setRects(*position, clip != nullptr ? *clip : *position);
}

HRESULT InPlaceObject::ReactivateAndUndo() {
    return INPLACE_E_NOTUNDOABLE;
}

HRESULT InPlaceObject::TranslateAccelerator(LPMSG message) {
    if (message == nullptr) {
        return E_POINTER;
    }
    return embedding().translateKey(*message) ? S_OK : S_FALSE;
}

HRESULT InPlaceObject::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

HRESULT InPlaceObject::OnDocWindowActivate(BOOL) {
    return S_OK;
}

HRESULT InPlaceObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

HRESULT InPlaceObject::EnableModeless(BOOL enable) {
    embedding().enableModeless(enable != FALSE);
    return S_OK;
}

}  // namespace annalex::platform
