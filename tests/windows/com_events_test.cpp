// The control's events reach a host's IDispatch sink through the standard connection point:
// in the apartment that created the control, and from a multithreaded apartment, where the
// control and the sink are reached through the type library's marshaler.

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "com_test_support.hpp"

namespace annalex::testing {
namespace {

// A host's sink as containers and script engines make them: IDispatch over the events
// dispinterface. It records the wizardResult values it receives.
class ResultSink final : public IDispatch {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, DIID_AnnalexCtrlEvents)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        std::lock_guard lock(mutex);
        if (id == 1 && parameters->cArgs == 1 && parameters->rgvarg[0].vt == VT_BOOL) {
            results.push_back(parameters->rgvarg[0].boolVal != VARIANT_FALSE);
        } else {
            results.push_back(false);
            ++unexpected;
        }
        return S_OK;
    }

    std::atomic<ULONG> references{0};
    std::mutex mutex;
    std::vector<bool> results;
    int unexpected = 0;
};

ComPtr<IConnectionPoint> eventsPoint(IUnknown* ctrl) {
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(ctrl->QueryInterface(IID_PPV_ARGS(&container)), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(DIID_AnnalexCtrlEvents, &point), S_OK);
    return point;
}

void tickSampleLevels(IAnnalexCtrl* ctrl) {
    BSTR levels = SysAllocString(L"Year,Month");
    EXPECT_EQ(ctrl->put_levels(levels), S_OK);
    SysFreeString(levels);
}

using EventsTest = RegisteredServer;

TEST_F(EventsTest, WizardResultReachesAnIDispatchSinkInTheCreatingApartment) {
    createControlWithOwnCube();
    ResultSink sink;
    ComPtr<IConnectionPoint> point = eventsPoint(ctrl.Get());
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

    ASSERT_EQ(ctrl->clickOk(), S_OK);  // no level ticked: a message, no event
    tickSampleLevels(ctrl.Get());
    ASSERT_EQ(ctrl->clickOk(), S_OK);
    ASSERT_EQ(ctrl->clickCancel(), S_OK);
    EXPECT_EQ(sink.results, (std::vector<bool>{true, false}));
    EXPECT_EQ(sink.unexpected, 0);

    // The container lists its one point, the point its one connection.
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(ctrl.As(&container), S_OK);
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* listed[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    IID events{};
    EXPECT_EQ(listed[0]->GetConnectionInterface(&events), S_OK);
    EXPECT_TRUE(IsEqualIID(events, DIID_AnnalexCtrlEvents));
    listed[0]->Release();
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(point->EnumConnections(&connections), S_OK);
    CONNECTDATA connection{};
    ASSERT_EQ(connections->Next(1, &connection, nullptr), S_OK);
    EXPECT_EQ(connection.dwCookie, cookie);
    connection.pUnk->Release();
    connections.Reset();

    ASSERT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(ctrl->clickCancel(), S_OK);
    EXPECT_EQ(sink.results.size(), 2u);
    EXPECT_EQ(sink.references, 0u);  // the control let go of the sink
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, &none), CONNECT_E_NOCONNECTION);
}

TEST_F(EventsTest, FromAMultithreadedApartmentThroughTheTypeLibrarysMarshaler) {
    ResultSink sink;
    std::thread host([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        {
            // An apartment-threaded class: this apartment gets a proxy.
            ComPtr<IAnnalexCtrl> remote;
            ASSERT_EQ(CoCreateInstance(CLSID_AnnalexCtrl, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&remote)),
                      S_OK);
            ComPtr<IAnnalexCube> cube;
            ASSERT_EQ(
                CoCreateInstance(CLSID_Cube, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&cube)),
                S_OK);
            ComPtr<IDispatch> time;
            BSTR name = SysAllocString(L"Time");
            ASSERT_EQ(cube->ensureDimension(name, &time), S_OK);
            SysFreeString(name);
            ASSERT_EQ(remote->putref_theCube(cube.Get()), S_OK);
            ASSERT_EQ(remote->putref_theTimeDimension(time.Get()), S_OK);

            ComPtr<IConnectionPoint> point = eventsPoint(remote.Get());
            DWORD cookie = 0;
            ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
            tickSampleLevels(remote.Get());
            ASSERT_EQ(remote->clickOk(), S_OK);
            ASSERT_EQ(remote->clickCancel(), S_OK);
            EXPECT_EQ(point->Unadvise(cookie), S_OK);

            // The calendar was written: read back late bound, through the proxies.
            Variant first;
            VARIANT one;
            one.vt = VT_I2;
            one.iVal = 1;
            ASSERT_EQ(callByName(time.Get(), L"hierarchy", {one}, &first.value), S_OK);
            ASSERT_EQ(first.value.vt, VT_DISPATCH);
            EXPECT_EQ(textByName(first.value.pdispVal, L"getName"), "Period");
        }
        CoUninitialize();
    });
    host.join();
    EXPECT_EQ(sink.results, (std::vector<bool>{true, false}));
    EXPECT_EQ(sink.unexpected, 0);
}

}  // namespace
}  // namespace annalex::testing
