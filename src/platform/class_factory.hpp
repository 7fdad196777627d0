#pragma once
// The class factory DllGetClassObject hands out: one per class, creating its objects (no
// aggregation) and holding the server with LockServer.

#include <unknwn.h>

#include "platform/com_object.hpp"

namespace annalex::platform {

class ClassFactory : public IClassFactory, public ComObjectBase {
  public:
    // create makes a new object with one reference, or null when memory is exhausted.
    using Create = IUnknown* (*)();
    explicit ClassFactory(Create create) : create_(create) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  protected:
    IUnknown* findInterface(REFIID riid) override {
        return IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory) ? this
                                                                                     : nullptr;
    }

  private:
    Create create_;
};

}  // namespace annalex::platform
