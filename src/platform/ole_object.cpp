#include "platform/ole_object.hpp"

#include <ole2.h>

#include "platform/embedding.hpp"

namespace annalex::platform {

HRESULT OleObject::SetClientSite(IOleClientSite* site) {
    embedding().setClientSite(site);
    return S_OK;
}

HRESULT OleObject::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) {
        return E_POINTER;
    }
    *site = embedding().clientSite();
    if (*site != nullptr) {
        (*site)->AddRef();
    }
    return S_OK;
}

HRESULT OleObject::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT OleObject::Close(DWORD) {
    return embedding().close();
}

HRESULT OleObject::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT OleObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT OleObject::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT OleObject::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) {
        *data = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT OleObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_UIACTIVATE:
            return embedding().activateUI(site);
        case OLEIVERB_INPLACEACTIVATE:
            return embedding().activateInPlace(site);
        case OLEIVERB_HIDE:
            return embedding().hide();
        default:
            // A verb number of the container's own menu that the control does not know is
            // taken as the primary verb.
            if (verb > 0) {
                const HRESULT activated = embedding().activateUI(site);
                return FAILED(activated) ? activated : OLEOBJ_S_INVALIDVERB;
            }
            return E_NOTIMPL;
    }
}

HRESULT OleObject::EnumVerbs(IEnumOLEVERB** verbs) {
    return OleRegEnumVerbs(clsid_, verbs);
}

HRESULT OleObject::Update() {
    return S_OK;
}

HRESULT OleObject::IsUpToDate() {
    return S_OK;
}

HRESULT OleObject::GetUserClassID(CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = clsid_;
    return S_OK;
}

HRESULT OleObject::GetUserType(DWORD form, LPOLESTR* type) {
    return OleRegGetUserType(clsid_, form, type);
}

HRESULT OleObject::SetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    embedding().setExtent(*size);
    return S_OK;
}

HRESULT OleObject::GetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    *size = embedding().extent();
    return S_OK;
}

HRESULT OleObject::Advise(IAdviseSink* sink, DWORD* connection) {
    IOleAdviseHolder* holder = embedding().adviseHolder();
    return holder == nullptr ? E_OUTOFMEMORY : holder->Advise(sink, connection);
}

HRESULT OleObject::Unadvise(DWORD connection) {
    IOleAdviseHolder* holder = embedding().adviseHolder();
    return holder == nullptr ? OLE_E_NOCONNECTION : holder->Unadvise(connection);
}

HRESULT OleObject::EnumAdvise(IEnumSTATDATA** advice) {
    IOleAdviseHolder* holder = embedding().adviseHolder();
    return holder == nullptr ? E_OUTOFMEMORY : holder->EnumAdvise(advice);
}

HRESULT OleObject::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (status == nullptr) {
        return E_POINTER;
    }
    *status = aspect == DVASPECT_CONTENT ? miscStatus_ : 0;
    return S_OK;
}

HRESULT OleObject::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

}  // namespace annalex::platform
