#pragma once
// IOleControl: what a container asks of a control beside its embedding. The page has no
// mnemonics; it uses Enter (on its buttons) and Escape (Cancel) itself, which containers are
// told so that they do not take those keys for default and cancel buttons of their own. While
// the container freezes events, the control keeps the ones it raises and raises them, in
// order, when the last freeze ends.

#include <ocidl.h>

namespace annalex::platform {

class OleControl : public IOleControl {
  public:
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID property) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

  protected:
    OleControl() = default;
    ~OleControl() = default;

    // One freeze more (true) or one less (false).
    virtual void freezeEvents(bool freeze) = 0;
};

}  // namespace annalex::platform
