#pragma once
// IDispatch for a dual interface of the type library. Names, type information and calls are
// all answered from the interface's ITypeInfo, which calls the interface's own vtable methods:
// the late-bound side can never disagree with the early-bound one.
//
// When a method fails and has set an error object, a late-bound caller gets DISP_E_EXCEPTION
// with the error object's description and source in its EXCEPINFO (what a script's Err shows).

#include <oaidl.h>

namespace annalex::platform {

// IDispatch::Invoke of the dual interface iid implemented by instance.
HRESULT invokeDual(void* instance, REFIID iid, DISPID member, REFIID riid, WORD flags,
                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                   UINT* argumentError);
// IDispatch::GetIDsOfNames of the dual interface iid.
HRESULT namesOfDual(REFIID iid, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);

// Dual: an interface of annalex.idl derived from IDispatch (its IID known to __uuidof).
template <typename Dual>
class DualDispatch : public Dual {
  public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        return namesOfDual(__uuidof(Dual), riid, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override {
        return invokeDual(static_cast<Dual*>(this), __uuidof(Dual), member, riid, flags, parameters,
                          result, exception, argumentError);
    }

  protected:
    DualDispatch() = default;
    ~DualDispatch() = default;
};

HRESULT typeInfoOfDual(REFIID iid, UINT index, ITypeInfo** info);

template <typename Dual>
HRESULT DualDispatch<Dual>::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    return typeInfoOfDual(__uuidof(Dual), index, info);
}

}  // namespace annalex::platform
