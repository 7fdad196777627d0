#pragma once
// The lifetime and interface lookup every COM object of the server shares.
//
// A class of the server derives from the interfaces it implements (or from the helpers that
// implement an interface group: DualDispatch, SupportsErrorInfo, ProvidesClassInfo,
// EventSource) and from ComObjectBase, and answers findInterface with the interface pointers it
// offers. ComInstance<Class> is the concrete object: it implements IUnknown once for all of
// them. An object starts with one reference, owned by its creator, deletes itself when the last
// one is released, and counts itself in the server module while it lives.

#include <windows.h>
#include <wrl/client.h>

#include <atomic>
#include <new>
#include <utility>

#include "platform/server_module.hpp"

namespace annalex::platform {

using Microsoft::WRL::ComPtr;

class ComObjectBase {
  public:
    ComObjectBase(const ComObjectBase&) = delete;
    ComObjectBase& operator=(const ComObjectBase&) = delete;

  protected:
    ComObjectBase() { objectCreated(); }
    virtual ~ComObjectBase() { objectDestroyed(); }

    // The object's pointer for the interface riid, or null when it does not offer it. IUnknown
    // must always give the same pointer (the object's identity). Classes override it as
    // protected, for ComInstance to call.
    virtual IUnknown* findInterface(REFIID riid) = 0;

  private:
    template <typename Class>
    friend class ComInstance;
    std::atomic<ULONG> references_{1};
};

template <typename Class>
class ComInstance final : public Class {
  public:
    template <typename... Arguments>
    explicit ComInstance(Arguments&&... arguments) : Class(std::forward<Arguments>(arguments)...) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        IUnknown* found = this->findInterface(riid);
        *object = found;
        if (found == nullptr) {
            return E_NOINTERFACE;
        }
        found->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++this->references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --this->references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
};

// A new object of Class holding its only reference; null when memory is exhausted or the
// class's constructor failed. (A pointer to Class itself could not be released: each of its
// interfaces declares its own IUnknown.)
template <typename Class, typename... Arguments>
ComPtr<ComInstance<Class>> createObject(Arguments&&... arguments) {
    ComInstance<Class>* created = nullptr;
    try {
        created = new ComInstance<Class>(std::forward<Arguments>(arguments)...);
    } catch (...) {
        return nullptr;
    }
    // The smart pointer takes a reference of its own (MinGW's Attach adds one too), so the
    // creation's reference is given back.
    ComPtr<ComInstance<Class>> object(created);
    created->Release();
    return object;
}

}  // namespace annalex::platform
