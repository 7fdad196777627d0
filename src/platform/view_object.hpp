#pragma once
// IViewObject2: the page drawn into a container's device context while the control is not
// active in place (a design view, a print; page_drawing.hpp), its size, and the sink told
// when the picture changes (embedding.hpp). Only the content aspect is drawn.

#include <oleidl.h>

namespace annalex::platform {

class Embedding;

class ViewObject : public IViewObject2 {
  public:
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo,
                                   DVTARGETDEVICE* device, HDC targetInfo, HDC dc, LPCRECTL bounds,
                                   LPCRECTL windowBounds,
                                   BOOL(STDMETHODCALLTYPE* carryOn)(ULONG_PTR),
                                   ULONG_PTR carryOnArgument) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo,
                                          DVTARGETDEVICE* device, HDC targetInfo,
                                          LOGPALETTE** colors) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo,
                                     DWORD* freeze) override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device,
                                        LPSIZEL size) override;

  protected:
    ViewObject() = default;
    ~ViewObject() = default;

    virtual Embedding& embedding() = 0;
};

}  // namespace annalex::platform
