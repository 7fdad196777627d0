#pragma once
// The control inside an OLE container: what the control interfaces of an object (ole_object,
// in_place_object, ole_control, view_object, quick_activation) share, and the steps of
// activation.
//
// A container hands the control its client site (IOleObject::SetClientSite or
// IQuickActivate), its size (SetExtent) and activates it (DoVerb). In-place activation asks
// the site (IOleInPlaceSite) for its window and the control's rectangle and shows the page
// there as a child window (win32_page.hpp); UI activation, which also follows when a person
// puts the focus into the page, makes the control the frame's active object, so that the
// container's message loop hands it its keys. Deactivation undoes this step by step, and Close
// deactivates; letting go of the site (SetClientSite(null)) ends the cycle of references
// between the container and the control.
//
// While the page has a window, the models' changes show in it; without one (a script's
// CreateObject, or before activation) a container that asked for view advice (SetAdvise) is
// told that the picture changed, so that it draws the page again (view_object.hpp).

#include <ocidl.h>
#include <oleidl.h>
#include <wrl/client.h>

#include <memory>

#include "control/calendar_page.hpp"
#include "platform/win32_page.hpp"

namespace annalex::platform {

class Embedding {
  public:
    // object: the control's identity (not held: the embedding is part of it).
    Embedding(IUnknown& object, control::CalendarPage& page);
    ~Embedding();
    Embedding(const Embedding&) = delete;
    Embedding& operator=(const Embedding&) = delete;

    const control::CalendarPage& page() const { return page_; }

    // ---- the container ----
    // Keeps the container's site; null deactivates the control and lets go of the site.
    void setClientSite(IOleClientSite* site);
    IOleClientSite* clientSite() const { return site_.Get(); }
    // The size the container gives the control, in HIMETRIC (0.01 mm); the page's own size
    // until set.
    SIZEL extent() const { return extent_; }
    void setExtent(const SIZEL& extent) { extent_ = extent; }
    // The sinks of IOleObject::Advise (told when the control closes).
    IOleAdviseHolder* adviseHolder();
    // The sink of IViewObject::SetAdvise.
    void setViewAdvice(DWORD aspects, DWORD flags, IAdviseSink* sink);
    HRESULT viewAdvice(DWORD* aspects, DWORD* flags, IAdviseSink** sink) const;

    // ---- activation ----
    // site: the one DoVerb was given, else the one set before.
    HRESULT activateInPlace(IOleClientSite* site);
    HRESULT activateUI(IOleClientSite* site);
    HRESULT deactivateUI();
    HRESULT deactivateInPlace();
    // Hides the page's window (the in-place state stays).
    HRESULT hide();
    HRESULT close();
    HRESULT setRects(const RECT& position, const RECT& clip);

    // The page's window; null while the control is not active in place.
    HWND window() const;
    // The top-level window that holds the page (the host's form, which a report of an
    // unexpected failure closes); null without a window.
    HWND containerWindow() const;
    bool translateKey(const MSG& message);
    // The hourglass over the page while busy.
    void setBusy(bool busy);
    // Whether the container can take a modeless window now: it says it cannot while a modal
    // dialog of its own is up (IOleInPlaceActiveObject::EnableModeless).
    bool modelessAllowed() const { return modelessAllowed_; }
    void enableModeless(bool enabled) { modelessAllowed_ = enabled; }

  private:
    // A model of the page changed: its window shows it, or the view's sink is told.
    void modelChanged(const control::PageControl& model);
    void focusChanged();

    IUnknown& object_;
    control::CalendarPage& page_;
    Microsoft::WRL::ComPtr<IOleClientSite> site_;
    Microsoft::WRL::ComPtr<IOleInPlaceSite> inPlaceSite_;
    Microsoft::WRL::ComPtr<IOleInPlaceFrame> frame_;
    Microsoft::WRL::ComPtr<IOleInPlaceUIWindow> uiWindow_;
    Microsoft::WRL::ComPtr<IOleAdviseHolder> adviseHolder_;
    Microsoft::WRL::ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0;
    DWORD viewFlags_ = 0;
    SIZEL extent_{};
    std::unique_ptr<Win32Page> window_;
    bool uiActive_ = false;
    bool modelessAllowed_ = true;
};

}  // namespace annalex::platform
