#pragma once
// IProvideClassInfo2 for a class of the type library: its coclass's type information and, for
// a class with events, the IID of its default outgoing dispinterface.

#include <ocidl.h>

namespace annalex::platform {

class ProvidesClassInfo : public IProvideClassInfo2 {
  public:
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

  protected:
    // defaultSource: the events dispinterface, or null for a class without events.
    ProvidesClassInfo(const CLSID& clsid, const IID* defaultSource)
        : clsid_(clsid), defaultSource_(defaultSource) {}
    ~ProvidesClassInfo() = default;

  private:
    CLSID clsid_;
    const IID* defaultSource_;
};

}  // namespace annalex::platform
