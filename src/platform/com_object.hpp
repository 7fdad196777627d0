#pragma once
// The reference counting and interface lookup every COM object of the server shares, and the
// small conversions between BSTRs and the model's UTF-8 strings.

#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>

#include "platform/server_module.hpp"

namespace annalex::platform {

// Implements IUnknown for a class deriving from one interface Interface (itself derived from
// IUnknown) whose IID is iid. The object starts with one reference, owned by its creator, and
// deletes itself when the last one is released; it counts itself in the server module.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // see annalex_com.hpp
template <typename Interface, const IID& iid>
class ComObject : public Interface {
  public:
    ComObject() { objectCreated(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() { objectDestroyed(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

  private:
    std::atomic<ULONG> references_{1};
};
#pragma GCC diagnostic pop

// Hands a new object's only reference to an out-pointer (or releases it for a null one).
template <typename Interface, typename Object>
HRESULT handOut(Object* object, Interface** out) {
    if (out == nullptr) {
        object->Release();
        return E_POINTER;
    }
    *out = object;
    return S_OK;
}

// UTF-8 text as a new BSTR (null when memory is exhausted).
BSTR toBstr(std::string_view text);
// A BSTR's text as UTF-8; a null BSTR is the empty text.
std::string fromBstr(BSTR text);

// Stores a new BSTR of text in out; E_POINTER for a null out, E_OUTOFMEMORY when no BSTR
// could be made.
HRESULT putBstr(std::string_view text, BSTR* out);

}  // namespace annalex::platform
