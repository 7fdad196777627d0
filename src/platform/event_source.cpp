#include "platform/event_source.hpp"

#include <olectl.h>

#include <algorithm>

#include "platform/snapshot_enumerator.hpp"

namespace annalex::platform {

namespace {

using PointEnumerator =
    SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, ComPtr<IConnectionPoint>>;
using ConnectionEnumerator =
    SnapshotEnumerator<IEnumConnections, CONNECTDATA, std::pair<DWORD, ComPtr<IUnknown>>>;

void copyPoint(const ComPtr<IConnectionPoint>& held, IConnectionPoint** item) {
    *item = held.Get();
    held->AddRef();
}

void copyConnection(const std::pair<DWORD, ComPtr<IUnknown>>& held, CONNECTDATA* item) {
    item->pUnk = held.second.Get();
    held.second->AddRef();
    item->dwCookie = held.first;
}

}  // namespace

EventSource::~EventSource() {
    for (KeptEvent& event : kept_) {
        for (VARIANT& argument : event.arguments) {
            VariantClear(&argument);
        }
    }
}

HRESULT EventSource::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points == nullptr) {
        return E_POINTER;
    }
    *points = nullptr;
    try {
        auto items = std::make_shared<std::vector<ComPtr<IConnectionPoint>>>();
        items->emplace_back(&point_);
        *points = createObject<PointEnumerator>(std::move(items), &copyPoint).Detach();
    } catch (const std::bad_alloc&) {
    }
    return *points == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT EventSource::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) {
        return E_POINTER;
    }
    if (!IsEqualIID(riid, point_.events_)) {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    *point = &point_;
    point_.AddRef();
    return S_OK;
}

void EventSource::fire(DISPID member, std::span<const VARIANT> arguments) {
    if (freezes_ == 0) {
        call(member, arguments);
        return;
    }
    KeptEvent event{member, std::vector<VARIANT>(arguments.size())};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        VariantInit(&event.arguments[i]);
        VariantCopy(&event.arguments[i], const_cast<VARIANT*>(&arguments[i]));
    }
    kept_.push_back(std::move(event));
}

void EventSource::freeze(bool more) {
    freezes_ = more ? freezes_ + 1 : std::max(freezes_ - 1, 0);
    while (freezes_ == 0 && !kept_.empty()) {
        KeptEvent event = std::move(kept_.front());
        kept_.erase(kept_.begin());
        call(event.member, event.arguments);
        for (VARIANT& argument : event.arguments) {
            VariantClear(&argument);
        }
    }
}

void EventSource::call(DISPID member, std::span<const VARIANT> arguments) {
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    // A copy: a sink may connect or disconnect sinks while it is called.
    const auto sinks = point_.sinks_;
    for (const auto& [cookie, sink] : sinks) {
        sink->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr,
                     nullptr, nullptr);
    }
}

HRESULT EventSource::Point::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT EventSource::Point::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) {
        return E_POINTER;
    }
    *iid = events_;
    return S_OK;
}

HRESULT EventSource::Point::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) {
        return E_POINTER;
    }
    *container = &owner_;
    owner_.AddRef();
    return S_OK;
}

HRESULT EventSource::Point::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr) {
        return E_POINTER;
    }
    *cookie = 0;
    if (sink == nullptr) {
        return E_POINTER;
    }
    // The events dispinterface, else plain IDispatch (what some containers' sinks answer).
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
        FAILED(sink->QueryInterface(IID_PPV_ARGS(&dispatch)))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    try {
        sinks_.emplace_back(nextCookie_, std::move(dispatch));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    return S_OK;
}

HRESULT EventSource::Point::Unadvise(DWORD cookie) {
    const auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                    [&](const auto& sink) { return sink.first == cookie; });
    if (found == sinks_.end()) {
        return CONNECT_E_NOCONNECTION;
    }
    sinks_.erase(found);
    return S_OK;
}

HRESULT EventSource::Point::EnumConnections(IEnumConnections** connections) {
    if (connections == nullptr) {
        return E_POINTER;
    }
    *connections = nullptr;
    try {
        auto items = std::make_shared<std::vector<std::pair<DWORD, ComPtr<IUnknown>>>>();
        for (const auto& [cookie, sink] : sinks_) {
            items->emplace_back(cookie, sink);
        }
        *connections =
            createObject<ConnectionEnumerator>(std::move(items), &copyConnection).Detach();
    } catch (const std::bad_alloc&) {
    }
    return *connections == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace annalex::platform
