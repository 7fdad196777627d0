// The control's OLE control interfaces as containers call them without showing it: quick
// activation and frozen events, safety for scripts, and the picture drawn from the page's
// models with its change advice.

#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include "com_test_support.hpp"

namespace annalex::testing {
namespace {

using OleControlTest = RegisteredServer;

// Activate when visible, client site first, inside-out, no links inside, redrawn on resize:
// what registration writes too.
constexpr DWORD kMiscStatus = 131473;

TEST_F(OleControlTest, QuickActivationConnectsTheEventsWhichWaitWhileFrozen) {
    createControlWithOwnCube();
    ComPtr<IQuickActivate> quick;
    ASSERT_EQ(ctrl.As(&quick), S_OK);
    Sink sink;
    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pUnkEventSink = &sink;
    QACONTROL answer{};
    answer.cbSize = sizeof answer;
    ASSERT_EQ(quick->QuickActivate(&container, &answer), S_OK);
    EXPECT_EQ(answer.dwMiscStatus, kMiscStatus);

    ComPtr<IOleControl> control;
    ASSERT_EQ(ctrl.As(&control), S_OK);
    ASSERT_EQ(control->FreezeEvents(TRUE), S_OK);
    ASSERT_EQ(control->FreezeEvents(TRUE), S_OK);
    ASSERT_EQ(ctrl->clickCancel(), S_OK);
    ASSERT_EQ(control->FreezeEvents(FALSE), S_OK);
    EXPECT_EQ(sink.events, "");  // still one freeze
    ASSERT_EQ(control->FreezeEvents(FALSE), S_OK);
    EXPECT_EQ(sink.events, "wizardResult(false)");
    ASSERT_EQ(ctrl->clickCancel(), S_OK);
    EXPECT_EQ(sink.events, "wizardResult(false)wizardResult(false)");
    EXPECT_EQ(eventsPoint(ctrl.Get())->Unadvise(answer.dwEventCookie), S_OK);
}

TEST_F(OleControlTest, ASafeScriptingContainerKeepsScriptsFromNamingFiles) {
    createControlWithOwnCube();
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(
        ctrl->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(safety.GetAddressOf())),
        S_OK);  // (MinGW's header gives IObjectSafety no __uuidof)
    // The automation interface is safe for untrusted callers, not made so by untrusted data.
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IAnnalexCtrl, INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                                INTERFACESAFE_FOR_UNTRUSTED_DATA),
              E_FAIL);

    const Bstr file(L"C:\\no such folder\\company.rules");
    EXPECT_EQ(ctrl->put_holidays(file), E_INVALIDARG);  // read, and not found
    ASSERT_EQ(
        safety->SetInterfaceSafetyOptions(IID_IAnnalexCtrl, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                          INTERFACESAFE_FOR_UNTRUSTED_CALLER),
        S_OK);
    EXPECT_EQ(ctrl->put_holidays(file), E_ACCESSDENIED);
    EXPECT_EQ(ctrl->put_holidays(Bstr(L"us")), S_OK);
}

// A container's view sink: counts the changes it is told of.
class ViewSink final : public IAdviseSink {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        const bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IAdviseSink);
        *object = known ? this : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) override {}
    void STDMETHODCALLTYPE OnViewChange(DWORD aspect, LONG) override {
        changes += aspect == DVASPECT_CONTENT ? 1 : 0;
    }
    void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
    void STDMETHODCALLTYPE OnSave() override {}
    void STDMETHODCALLTYPE OnClose() override {}
    int changes = 0;
};

// Pixels of an area of the drawing in one colour.
int pixelsOf(HDC dc, const RECT& area, COLORREF colour) {
    int count = 0;
    for (LONG x = area.left; x < area.right; ++x) {
        for (LONG y = area.top; y < area.bottom; ++y) {
            count += GetPixel(dc, x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

TEST_F(OleControlTest, DrawPaintsThePageFromItsModelsAtTheBoundsScale) {
    createControlWithOwnCube();
    ComPtr<IViewObject2> view;
    ASSERT_EQ(ctrl.As(&view), S_OK);
    SIZEL extent{};
    ASSERT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
    EXPECT_EQ(extent.cx, 11456);  // 6495 x 4035 twips in 0.01 mm
    EXPECT_EQ(extent.cy, 7117);
    ViewSink sink;
    ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, &sink), S_OK);
    ASSERT_EQ(ctrl->put_txtStartDay(nullptr), S_OK);  // an empty start day, an "Error" kept
    EXPECT_GT(sink.changes, 0);
    ASSERT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, nullptr), S_OK);

    // At 15 twips a unit, and twice that size: the places are those of the layout, scaled.
    for (const int scale : {1, 2}) {
        const HDC dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 433 * scale;
        info.bmiHeader.biHeight = -269 * scale;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ before = SelectObject(dc, bitmap);
        const RECTL bounds{0, 0, 433 * scale, 269 * scale};
        ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr,
                             nullptr, 0),
                  S_OK);
        const auto at = [&](LONG left, LONG top, LONG width, LONG height) {
            return RECT{left * scale, top * scale, (left + width) * scale, (top + height) * scale};
        };
        const COLORREF text = GetSysColor(COLOR_BTNTEXT);
        // "Date Format" (Frame5, from 35, 23): its etched left edge, and its caption.
        EXPECT_EQ(pixelsOf(dc, at(35, 40, 1, 60), GetSysColor(COLOR_BTNSHADOW)), 60 * scale);
        EXPECT_GT(pixelsOf(dc, at(40, 23, 60, 10), text), 10 * scale);
        // "Ok", and the end day's "31" in its box; the start day's box is empty.
        EXPECT_GT(pixelsOf(dc, at(258, 233, 60, 25), text), 5 * scale);
        EXPECT_GT(pixelsOf(dc, at(276, 97, 24, 19), text), 5 * scale);
        EXPECT_EQ(pixelsOf(dc, at(278, 67, 20, 15), text), 0);
        SelectObject(dc, before);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
}

}  // namespace
}  // namespace annalex::testing
