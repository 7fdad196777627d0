#pragma once
// IObjectSafety, for scripting containers: the control is safe to script by an untrusted
// caller on its automation interface and safe to initialise from untrusted data on its
// persistence interfaces (which read nothing). When a container asks for safety towards
// untrusted callers, the object narrows what it does for them (untrustedCaller()): the
// control then reads no file a script names.

#include <objsafe.h>

namespace annalex::platform {

class ObjectSafety : public IObjectSafety {
  public:
    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                        DWORD* enabled) override;
    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD mask,
                                                        DWORD enabled) override;

  protected:
    // automation: the object's dual interface (IDispatch counts as it too).
    explicit ObjectSafety(const IID& automation) : automation_(automation) {}
    ~ObjectSafety() = default;

    bool untrustedCaller() const { return (enabled_ & INTERFACESAFE_FOR_UNTRUSTED_CALLER) != 0; }

  private:
    // The options the object offers for an interface; 0 for one it does not have.
    DWORD supportedFor(REFIID riid) const;

    IID automation_;
    DWORD enabled_ = 0;
};

}  // namespace annalex::platform
