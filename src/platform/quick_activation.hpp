#pragma once
// IQuickActivate, for containers that set a control up in one call instead of several: the
// client site, the view's sink and the events sink of QACONTAINER are taken as
// SetClientSite, IViewObject::SetAdvise and the events connection point's Advise would take
// them, and QACONTROL answers the class's misc status and the events connection.

#include <ocidl.h>

namespace annalex::platform {

class Embedding;

class QuickActivation : public IQuickActivate {
  public:
    HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override;
    HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override;

  protected:
    // events: the object's outgoing dispinterface; miscStatus: its OLEMISC flags.
    QuickActivation(const IID& events, DWORD miscStatus)
        : events_(events), miscStatus_(miscStatus) {}
    ~QuickActivation() = default;

    virtual Embedding& embedding() = 0;

  private:
    IID events_;
    DWORD miscStatus_;
};

}  // namespace annalex::platform
