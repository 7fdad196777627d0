#pragma once
// IPersistStreamInit and IPersistPropertyBag for a control that keeps no state of its own
// across sessions: the page starts from its design-time contents every time, and its host
// hands it the cube anew. Containers insist on one of them before they show a control, so
// both answer: loading reads nothing, saving writes nothing, and nothing is ever unsaved.

#include <ocidl.h>

namespace annalex::platform {

class Persistence : public IPersistStreamInit, public IPersistPropertyBag {
  public:
    // IPersist, shared by both.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;

    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;

    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

  protected:
    explicit Persistence(const CLSID& clsid) : clsid_(clsid) {}
    ~Persistence() = default;

  private:
    CLSID clsid_;
};

}  // namespace annalex::platform
