#pragma once
// The outgoing events of an object: IConnectionPointContainer with one connection point for
// its events dispinterface. Sinks connect with IConnectionPoint::Advise and are called through
// IDispatch::Invoke, as containers and script engines implement them; a sink from another
// apartment is reached through its proxy (the dispinterface is registered with the type
// library's marshaler).

#include <ocidl.h>

#include <span>
#include <utility>
#include <vector>

#include "platform/com_object.hpp"

namespace annalex::platform {

class EventSource : public IConnectionPointContainer {
  public:
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

  protected:
    explicit EventSource(const IID& events) : point_(*this, events) {}
    ~EventSource();

    // Calls member on every connected sink with the arguments, first argument first. A sink
    // that fails or disconnects meanwhile does not keep the others from being called.
    void fire(DISPID member, std::span<const VARIANT> arguments);
    // One freeze more (true) or one less (false): while frozen, fired events are kept, with
    // copies of their arguments, and called in order when the last freeze ends.
    void freeze(bool more);

  private:
    class Point final : public IConnectionPoint {
      public:
        Point(EventSource& owner, const IID& events) : owner_(owner), events_(events) {}

        // A part of its container: it lives and counts references with it.
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

        HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
        HRESULT STDMETHODCALLTYPE
        GetConnectionPointContainer(IConnectionPointContainer** container) override;
        HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
        HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
        HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

        EventSource& owner_;
        IID events_;
        std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks_;
        DWORD nextCookie_ = 1;
    };

    struct KeptEvent {
        DISPID member;
        std::vector<VARIANT> arguments;
    };
    void call(DISPID member, std::span<const VARIANT> arguments);

    Point point_;
    int freezes_ = 0;
    std::vector<KeptEvent> kept_;
};

}  // namespace annalex::platform
