// The page in Wine's ATL container, worked as a person would. A window of class AtlAxWin
// (atl.dll) made with the control's ProgID activates the control in place; the test reaches
// the control only through AtlAxGetControl, presses keys and types through a host's message
// loop that offers them to the active object first, and closes the message boxes the page
// shows as they come up. It needs a display (Xvfb in scripts/windows.sh). ANNALEX_EXPECTED_DPI
// names the resolution CTest set up for the run.

#include <gmock/gmock.h>

#include <array>
#include <cstdlib>
#include <memory>

#include "com_test_support.hpp"
#include "window_test_support.hpp"

namespace annalex::testing {
namespace {

// Each control's place in the layout, in twips from the page's origin (the places of the
// frames that hold it added), by tab index.
struct Place {
    int tab;
    int left;
    int top;
    int width;
    int height;
};
constexpr std::array<Place, 28> kLayout{{
    {0, 0, 0, 6495, 4035},      {1, 360, 2130, 3000, 1575}, {2, 720, 2400, 2295, 1185},
    {3, 3870, 3495, 900, 375},  {4, 4830, 3495, 900, 375},  {5, 3540, 2130, 2385, 1170},
    {6, 4245, 2520, 1455, 195}, {7, 4260, 2865, 1095, 195}, {8, 3255, 345, 2925, 1605},
    {9, 3315, 1500, 705, 270},  {10, 3300, 990, 720, 285},  {11, 525, 345, 2550, 1620},
    {12, 615, 1080, 780, 315},  {13, 645, 1620, 2295, 210}, {14, 4140, 975, 360, 285},
    {15, 4785, 975, 360, 285},  {16, 5460, 975, 600, 285},  {17, 4545, 990, 180, 255},
    {18, 5220, 990, 180, 255},  {19, 4140, 1455, 360, 285}, {20, 4785, 1455, 360, 285},
    {21, 5460, 1455, 600, 285}, {22, 4545, 1470, 180, 255}, {23, 5220, 1470, 180, 255},
    {24, 4110, 660, 1980, 240}, {25, 720, 765, 2160, 240},  {26, 1425, 1080, 780, 315},
    {27, 2220, 1080, 780, 315},
}};
// The tab indexes of the controls that take the focus, in the order Tab visits them.
const std::vector<int> kFocusOrder{2, 3, 4, 6, 7, 12, 14, 15, 16, 19, 20, 21, 26, 27};

class ContainedPage : public RegisteredServer {
  protected:
    void SetUp() override {
        RegisteredServer::SetUp();
        const AtlAxGetControl getControl = atlGetControl();
        ASSERT_NE(getControl, nullptr) << "atl.dll: no AtlAxWinInit or AtlAxGetControl";
        host_ = CreateWindowExW(0, L"STATIC", L"Annalex page host",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 800, 600,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(host_, nullptr);
        dpi_ = static_cast<int>(GetDpiForWindow(host_));
        const HWND container =
            CreateWindowExW(0, L"AtlAxWin", L"Annalex.AnnalexCtrl", WS_CHILD | WS_VISIBLE, 0, 0,
                            pixels(6495), pixels(4035), host_, nullptr, nullptr, nullptr);
        ASSERT_NE(container, nullptr);
        ComPtr<IUnknown> control;
        ASSERT_EQ(getControl(container, &control), S_OK);
        ASSERT_EQ(control.As(&ctrl), S_OK);
        ASSERT_EQ(control.As(&active_), S_OK);
        ComPtr<IOleInPlaceObject> inPlace;
        ASSERT_EQ(control.As(&inPlace), S_OK);
        ASSERT_EQ(inPlace->GetWindow(&page_), S_OK) << "not active in place";
        EXPECT_TRUE(IsChild(container, page_));
        pump();
    }
    void TearDown() override {
        active_.Reset();
        ctrl.Reset();
        if (host_ != nullptr) {
            DestroyWindow(host_);  // the container closes the control and lets it go
        }
        pump();
        RegisteredServer::TearDown();
    }

    int pixels(int twips) const { return MulDiv(twips, dpi_, 1440); }
    HWND item(int tab) const { return GetDlgItem(page_, 1000 + tab); }
    int focusedTab() const { return GetDlgCtrlID(GetFocus()) - 1000; }

    void pump() { pumpMessages(active_.Get()); }
    void press(UINT key, bool shift = false) { pressKey(active_.Get(), key, shift); }
    void type(const std::wstring& text) { typeText(active_.Get(), text); }
    // Tabs into the box from the control before it, which selects its text, and types text.
    void typeInto(int tab, const std::wstring& text) {
        const auto at = std::find(kFocusOrder.begin(), kFocusOrder.end(), tab);
        SetFocus(item(*std::prev(at)));
        press(VK_TAB);
        type(text);
    }
    std::pair<DWORD, DWORD> selection(int tab) const {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(item(tab), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }

    HWND host_ = nullptr;
    HWND page_ = nullptr;
    int dpi_ = 96;
    ComPtr<IOleInPlaceActiveObject> active_;
};

TEST_F(ContainedPage, LayoutPlacesEveryControlThroughTheWindowsDpiAndPaintsIt) {
    if (const char* expected = std::getenv("ANNALEX_EXPECTED_DPI")) {
        ASSERT_EQ(dpi_, std::atoi(expected));
    }
    for (const Place& place : kLayout) {
        const HWND control = item(place.tab);
        ASSERT_NE(control, nullptr) << "tab " << place.tab;
        RECT shown{};
        GetWindowRect(control, &shown);
        MapWindowPoints(nullptr, page_, reinterpret_cast<POINT*>(&shown), 2);
        const std::array<LONG, 4> expected{pixels(place.left), pixels(place.top),
                                           pixels(place.width), pixels(place.height)};
        EXPECT_EQ((std::array<LONG, 4>{shown.left, shown.top, shown.right - shown.left,
                                       shown.bottom - shown.top}),
                  expected)
            << "tab " << place.tab << " at " << dpi_ << " dpi";
    }
    // The buttons show their captions: dark pixels on the button face.
    UpdateWindow(host_);
    for (const int button : {3, 4}) {
        RECT face{};
        GetClientRect(item(button), &face);
        const HDC dc = GetDC(item(button));
        int dark = 0;
        for (int x = face.left; x < face.right; ++x) {
            for (int y = face.top + 3; y < face.bottom - 3; ++y) {
                dark += GetPixel(dc, x, y) == GetSysColor(COLOR_BTNTEXT) ? 1 : 0;
            }
        }
        ReleaseDC(item(button), dc);
        EXPECT_GT(dark, 10) << "tab " << button << " shows no caption";
    }
}

TEST_F(ContainedPage, TabAndShiftTabWalkTheControlsInTheLayoutsOrder) {
    SetFocus(item(2));
    std::vector<int> walked;
    for (std::size_t i = 0; i < kFocusOrder.size(); ++i) {
        press(VK_TAB);
        walked.push_back(focusedTab());
    }
    std::vector<int> expected(kFocusOrder.begin() + 1, kFocusOrder.end());
    expected.push_back(kFocusOrder.front());
    EXPECT_EQ(walked, expected);
    press(VK_TAB, true);
    EXPECT_EQ(focusedTab(), kFocusOrder.back());
}

TEST_F(ContainedPage, TheKeyboardGeneratesTheSampleCalendarIntoTheHostsCube) {
    const std::string linuxSample = fileText(programFolder() / "linux-sample.jsonl");
    ASSERT_FALSE(linuxSample.empty()) << "linux-sample.jsonl is written by scripts/windows.sh";
    RegisteredRecorder recorder;
    ASSERT_TRUE(recorder.ready());
    const ComPtr<IDispatch> hostDimension = recorder.newDimension();
    ComPtr<IDispatch> cube;
    ASSERT_EQ(CoCreateInstance(CLSID_Cube, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&cube)),
              S_OK);
    ASSERT_EQ(byName(ctrl.Get(), L"cubeLibrary", DISPATCH_PROPERTYPUT, L"CubeRecorder"), "");
    ASSERT_EQ(ctrl->putref_theCube(cube.Get()), S_OK);
    ASSERT_EQ(ctrl->putref_theTimeDimension(hostDimension.Get()), S_OK);
    Sink sink;
    DWORD cookie = 0;
    ASSERT_EQ(eventsPoint(ctrl.Get())->Advise(&sink, &cookie), S_OK);
    BoxCloser boxes;

    SetFocus(item(2));  // the level list: Year, then Month
    press(VK_SPACE);
    press(VK_DOWN);
    press(VK_DOWN);
    press(VK_SPACE);
    EXPECT_EQ(byName(ctrl.Get(), L"levels"), "Year,Month");
    typeInto(16, L"2001");  // over the selected "01": the same calendar
    typeInto(21, L"2001");
    press(VK_TAB);  // cmbMonth: MMM
    press(VK_DOWN);
    EXPECT_EQ(windowText(item(13)), L"(01-Jan-01)");
    press(VK_TAB);
    press(VK_TAB);
    press(VK_TAB);
    ASSERT_EQ(focusedTab(), 3);
    press(VK_RETURN);

    EXPECT_THAT(boxes.shown, ::testing::ElementsAre(
                                 ShownBox{L"Info",
                                          L"The generation of the selected calendar may take a few "
                                          L"minutes. Please wait.",
                                          true, false}));
    EXPECT_EQ(sink.events, "wizardResult(true)");
    EXPECT_EQ(byName(hostDimension.Get(), L"jsonLines"), linuxSample);
    // The hourglass showed while the cube was filled, and the arrow is back.
    EXPECT_EQ(byName(hostDimension.Get(), L"callsWithoutWaitCursor"), "0");
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
    LONG kept = 0;
    ASSERT_EQ(ctrl->get_messageCount(&kept), S_OK);
    EXPECT_EQ(kept, 1);  // the read-back stays for hosts
    EXPECT_EQ(eventsPoint(ctrl.Get())->Unadvise(cookie), S_OK);
}

struct Rejection {
    const char* name;
    std::vector<std::pair<int, std::wstring>> typed;  // box (tab index), text
    bool pressOk;
    std::wstring message;
    int offending;  // the box left selected and focused
};

class RejectedDate : public ContainedPage, public ::testing::WithParamInterface<Rejection> {};

TEST_P(RejectedDate, ShowsTheErrorBoxAndLeavesTheOffendingBoxSelectedAndFocused) {
    const Rejection& rejection = GetParam();
    Sink sink;
    DWORD cookie = 0;
    ASSERT_EQ(eventsPoint(ctrl.Get())->Advise(&sink, &cookie), S_OK);
    BoxCloser boxes;
    for (const auto& [box, text] : rejection.typed) {
        typeInto(box, text);
    }
    if (rejection.pressOk) {
        SetFocus(item(3));
        press(VK_RETURN);
    }
    EXPECT_THAT(boxes.shown,
                ::testing::ElementsAre(ShownBox{L"Error", rejection.message, false, true}));
    EXPECT_EQ(focusedTab(), rejection.offending);
    const auto length = static_cast<DWORD>(windowText(item(rejection.offending)).size());
    EXPECT_EQ(selection(rejection.offending), std::make_pair(DWORD{0}, length));
    EXPECT_EQ(sink.events, "");
    EXPECT_EQ(eventsPoint(ctrl.Get())->Unadvise(cookie), S_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Page, RejectedDate,
    ::testing::Values(
        Rejection{"DayOutOfRangeWhileTyping", {{14, L"32"}}, false, L"Invalid day.", 14},
        Rejection{"MonthNotANumberWhileTyping",
                  {{20, L"1x"}},
                  false,
                  L"Month must be a numeric value.",
                  20},
        Rejection{"ThirtyFirstOfAprilOnOk", {{15, L"04"}, {14, L"31"}}, true, L"Invalid day", 14}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace annalex::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    OleInitialize(nullptr);  // as a program with windows and controls does (AtlAxWinInit too)
    return RUN_ALL_TESTS();
}
