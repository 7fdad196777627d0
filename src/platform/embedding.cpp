#include "platform/embedding.hpp"

#include <ole2.h>

#include <exception>
#include <new>

namespace annalex::platform {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kHimetricPerInch = 2540;

}  // namespace

Embedding::Embedding(IUnknown& object, control::CalendarPage& page) : object_(object), page_(page) {
    const control::Geometry& outer = page.Frame1.geometry();
    extent_ = {MulDiv(outer.left + outer.width, kHimetricPerInch, kTwipsPerInch),
               MulDiv(outer.top + outer.height, kHimetricPerInch, kTwipsPerInch)};
    for (control::PageControl* model : page.controls()) {
        model->addObserver([this, model] { modelChanged(*model); });
    }
    page.focus().addObserver([this] { focusChanged(); });
}

Embedding::~Embedding() {
    deactivateInPlace();
}

void Embedding::setClientSite(IOleClientSite* site) {
    if (site == nullptr) {
        deactivateInPlace();
    }
    site_ = site;
}

IOleAdviseHolder* Embedding::adviseHolder() {
    if (!adviseHolder_) {
        CreateOleAdviseHolder(&adviseHolder_);
    }
    return adviseHolder_.Get();
}

void Embedding::setViewAdvice(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAspects_ = aspects;
    viewFlags_ = flags;
    viewSink_ = sink;
}

HRESULT Embedding::viewAdvice(DWORD* aspects, DWORD* flags, IAdviseSink** sink) const {
    if (aspects != nullptr) {
        *aspects = viewAspects_;
    }
    if (flags != nullptr) {
        *flags = viewFlags_;
    }
    if (sink != nullptr) {
        *sink = viewSink_.Get();
        if (*sink != nullptr) {
            (*sink)->AddRef();
        }
    }
    return S_OK;
}

HRESULT Embedding::activateInPlace(IOleClientSite* site) {
    if (site == nullptr) {
        site = site_.Get();
    }
    if (!inPlaceSite_) {
        Microsoft::WRL::ComPtr<IOleInPlaceSite> inPlace;
        if (site == nullptr || FAILED(site->QueryInterface(IID_PPV_ARGS(&inPlace)))) {
            return E_NOINTERFACE;  // a container that cannot hold the page in place
        }
        if (inPlace->CanInPlaceActivate() != S_OK) {
            return E_FAIL;
        }
        inPlaceSite_ = inPlace;
        inPlaceSite_->OnInPlaceActivate();
    }
    if (!window_) {
        HWND parent = nullptr;
        RECT position{};
        RECT clip{};
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof frameInfo;
        frame_.Reset();
        uiWindow_.Reset();
        if (FAILED(inPlaceSite_->GetWindow(&parent)) ||
            FAILED(inPlaceSite_->GetWindowContext(&frame_, &uiWindow_, &position, &clip,
                                                  &frameInfo))) {
            deactivateInPlace();
            return E_FAIL;
        }
        try {
            window_ = std::make_unique<Win32Page>(page_, parent, position, &object_,
                                                  [this] { activateUI(nullptr); });
        } catch (const std::bad_alloc&) {
            deactivateInPlace();
            return E_OUTOFMEMORY;
        } catch (const std::exception&) {
            deactivateInPlace();
            return E_FAIL;
        }
        window_->move(position, clip);
    }
    ShowWindow(window_->window(), SW_SHOW);
    return S_OK;
}

HRESULT Embedding::activateUI(IOleClientSite* site) {
    if (uiActive_ && window_) {
        return S_OK;
    }
    if (const HRESULT activated = activateInPlace(site); FAILED(activated)) {
        return activated;
    }
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    Microsoft::WRL::ComPtr<IOleInPlaceActiveObject> active;
    object_.QueryInterface(IID_PPV_ARGS(&active));
    if (frame_) {
        frame_->SetActiveObject(active.Get(), nullptr);
        frame_->SetBorderSpace(nullptr);
    }
    if (uiWindow_) {
        uiWindow_->SetActiveObject(active.Get(), nullptr);
        uiWindow_->SetBorderSpace(nullptr);
    }
    if (window_ && IsChild(window_->window(), GetFocus()) == FALSE) {
        window_->takeFocus();
    }
    return S_OK;
}

HRESULT Embedding::deactivateUI() {
    if (!uiActive_) {
        return S_OK;
    }
    uiActive_ = false;
    if (frame_) {
        frame_->SetActiveObject(nullptr, nullptr);
    }
    if (uiWindow_) {
        uiWindow_->SetActiveObject(nullptr, nullptr);
    }
    if (inPlaceSite_) {
        inPlaceSite_->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

HRESULT Embedding::deactivateInPlace() {
    deactivateUI();
    window_.reset();
    frame_.Reset();
    uiWindow_.Reset();
    if (inPlaceSite_) {
        const auto inPlace = std::move(inPlaceSite_);
        inPlace->OnInPlaceDeactivate();
    }
    return S_OK;
}

HRESULT Embedding::hide() {
    deactivateUI();
    if (window_) {
        ShowWindow(window_->window(), SW_HIDE);
    }
    return S_OK;
}

HRESULT Embedding::close() {
    deactivateInPlace();
    if (adviseHolder_) {
        adviseHolder_->SendOnClose();
    }
    return S_OK;
}

HRESULT Embedding::setRects(const RECT& position, const RECT& clip) {
    if (!window_) {
        return OLE_E_NOT_INPLACEACTIVE;
    }
    window_->move(position, clip);
    return S_OK;
}

HWND Embedding::window() const {
    return window_ ? window_->window() : nullptr;
}

HWND Embedding::containerWindow() const {
    return window_ ? GetAncestor(window_->window(), GA_ROOT) : nullptr;
}

bool Embedding::translateKey(const MSG& message) {
    return window_ && window_->translateKey(message);
}

void Embedding::setBusy(bool busy) {
    if (window_) {
        window_->setBusy(busy);
    }
}

void Embedding::modelChanged(const control::PageControl& model) {
    if (window_) {
        window_->show(model);
    } else if (viewSink_ && (viewAspects_ & DVASPECT_CONTENT) != 0) {
        const Microsoft::WRL::ComPtr<IAdviseSink> sink = viewSink_;
        if ((viewFlags_ & ADVF_ONLYONCE) != 0) {
            viewSink_.Reset();
        }
        sink->OnViewChange(DVASPECT_CONTENT, -1);
    }
}

void Embedding::focusChanged() {
    if (window_) {
        window_->showFocus();
    }
}

}  // namespace annalex::platform
