// The control's events reach a host's IDispatch sink through the standard connection point:
// in the apartment that created the control, and from a multithreaded apartment, where the
// control and the sink are reached through the type library's marshaler.

#include <ocidl.h>
#include <olectl.h>

#include <thread>

#include "com_test_support.hpp"

namespace annalex::testing {
namespace {

using EventsTest = RegisteredServer;

TEST_F(EventsTest, WizardResultReachesAnIDispatchSinkInTheCreatingApartment) {
    createControlWithOwnCube();
    Sink sink;
    ComPtr<IConnectionPoint> point = eventsPoint(ctrl.Get());
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

    ASSERT_EQ(ctrl->clickOk(), S_OK);  // no level ticked: a message, no event
    ASSERT_EQ(byName(ctrl.Get(), L"levels", DISPATCH_PROPERTYPUT, L"Year,Month"), "");
    // The product's own dimension is filled directly: no class of the cube library is made.
    ASSERT_EQ(byName(ctrl.Get(), L"cubeLibrary", DISPATCH_PROPERTYPUT, L"NoSuchLibrary"), "");
    ASSERT_EQ(ctrl->clickOk(), S_OK);
    ASSERT_EQ(ctrl->clickCancel(), S_OK);
    EXPECT_EQ(sink.events, "wizardResult(true)wizardResult(false)");
    LONG messages = 0;
    ASSERT_EQ(ctrl->get_messageCount(&messages), S_OK);
    EXPECT_EQ(messages, 2);  // "Please select at least one level", "Info": no failure

    // The point lists its one connection.
    ComPtr<IEnumConnections> connections;
    CONNECTDATA connection{};
    ASSERT_EQ(point->EnumConnections(&connections), S_OK);
    ASSERT_EQ(connections->Next(1, &connection, nullptr), S_OK);
    EXPECT_EQ(connection.dwCookie, cookie);
    connection.pUnk->Release();
    connections.Reset();

    ASSERT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(ctrl->clickCancel(), S_OK);
    EXPECT_EQ(sink.events, "wizardResult(true)wizardResult(false)");  // no more
    EXPECT_EQ(sink.references, 0u);  // the control let go of the sink
}

TEST_F(EventsTest, FromAMultithreadedApartmentThroughTheTypeLibrarysMarshaler) {
    Sink sink;
    std::thread host([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        {
            // An apartment-threaded class: this apartment gets a proxy.
            ComPtr<IAnnalexCtrl> remote;
            ComPtr<IDispatch> time;
            makeControlWithOwnCube(remote, time);

            ComPtr<IConnectionPoint> point = eventsPoint(remote.Get());
            DWORD cookie = 0;
            ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
            ASSERT_EQ(byName(remote.Get(), L"levels", DISPATCH_PROPERTYPUT, L"Year,Month"), "");
            ASSERT_EQ(remote->clickOk(), S_OK);
            ASSERT_EQ(remote->clickCancel(), S_OK);
            EXPECT_EQ(point->Unadvise(cookie), S_OK);

            // The calendar was written: read back through the proxies.
            ComPtr<IAnnalexDimension> typed;
            ComPtr<IDispatch> first;
            ComPtr<IAnnalexHierarchy> hierarchy;
            BSTR period = nullptr;
            ASSERT_EQ(time.As(&typed), S_OK);
            ASSERT_EQ(typed->hierarchy(1, &first), S_OK);
            ASSERT_EQ(first.As(&hierarchy), S_OK);
            ASSERT_EQ(hierarchy->getName(&period), S_OK);
            EXPECT_STREQ(period, L"Period");
            SysFreeString(period);
        }
        CoUninitialize();
    });
    host.join();
    EXPECT_EQ(sink.events, "wizardResult(true)wizardResult(false)");
}

}  // namespace
}  // namespace annalex::testing
