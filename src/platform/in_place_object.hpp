#pragma once
// IOleInPlaceObject and IOleInPlaceActiveObject for a control shown in place (embedding.hpp):
// the page's window, its rectangles, deactivation, and the keys the container's message loop
// offers the active object before it dispatches them (TranslateAccelerator: Tab, Shift+Tab,
// Enter and Escape, win32_page.hpp). The control adds no menus, tools or borders to the
// container's frame.

#include <oleidl.h>

namespace annalex::platform {

class Embedding;

class InPlaceObject : public IOleInPlaceObject, public IOleInPlaceActiveObject {
  public:
    // IOleWindow, shared by both.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;

    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;

    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                           BOOL frameWindow) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

  protected:
    InPlaceObject() = default;
    ~InPlaceObject() = default;

    virtual Embedding& embedding() = 0;
};

}  // namespace annalex::platform
