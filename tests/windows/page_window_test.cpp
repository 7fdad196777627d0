// The page in Wine's ATL container, worked as a person would: keys pressed and typed through a
// host's message loop that offers them to the active object first, and the message boxes the
// page shows closed as they come up. It needs a display (Xvfb in scripts/windows.sh).
// ANNALEX_EXPECTED_DPI names the resolution CTest set up for the run.

#include <gmock/gmock.h>

#include <array>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>

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

// Checks the recorder's lines against the order the cube model's contract fixes: the levels
// with their definitions before the first member; each member named, given its position and
// placed before its attributes are set and before the next member is made; members placed in
// depth-first order, which is the order of the member lines of the JSON Lines. Gives the
// first breach, or "" when there is none.
std::string contractBreach(const std::string& calls, const std::string& jsonLines) {
    enum State { Made, Named, Ordered, Placed };
    std::map<std::string, State> members;
    std::map<std::string, std::string> names;  // "Member3" -> "2001"
    std::string placedNames;
    std::istringstream lines(calls);
    for (std::string line; std::getline(lines, line);) {
        const auto dot = line.find('.');
        const std::string object = line.substr(0, dot);
        const std::string call = line.substr(dot + 1);
        const std::string argument =
            call.substr(call.find('(') + 1, call.size() - call.find('(') - 2);
        const auto expect = [&](const std::string& member, State state) {
            return members.count(member) != 0 && members[member] == state;
        };
        if (line.starts_with("new Member")) {
            for (const auto& [member, state] : members) {
                if (state != Placed) {
                    return line + ": " + member + " is not placed yet";
                }
            }
            members[line.substr(4)] = Made;
        } else if (!members.empty() && !object.starts_with("Member") &&
                   !call.starts_with("addRootMember") && !call.starts_with("findMembers") &&
                   !call.starts_with("levelNamed") && !call.starts_with("levelAt") &&
                   !call.starts_with("hierarchy(")) {
            return line + ": a level's change after the first member";
        } else if (call.starts_with("putName") && object.starts_with("Member")) {
            names[object] = argument;
            members[object] = expect(object, Made) ? Named : Made;
        } else if (call.starts_with("putOrder")) {
            members[object] = expect(object, Named) ? Ordered : Made;
        } else if (call.starts_with("addRootMember") || call.starts_with("putParent")) {
            const std::string member = call.starts_with("putParent") ? object : argument;
            if (!expect(member, Ordered) || (member == object && !expect(argument, Placed))) {
                return line + ": placed before it was named and ordered, or under no placed parent";
            }
            members[member] = Placed;
            placedNames += names[member] + "\n";
        } else if (call.starts_with("setAttribute") && !expect(object, Placed)) {
            return line + ": an attribute of a member not placed";
        }
    }
    std::string walked;
    std::istringstream json(jsonLines);
    for (std::string line; std::getline(json, line);) {
        const auto name = line.find(R"("name":)");
        if (line.starts_with(R"({"kind":"member")")) {
            walked += line.substr(name + 7, line.find(',', name) - name - 7) + "\n";
        }
    }
    return walked == placedNames ? "" : "members not placed depth-first:\n" + placedNames;
}

class ContainedPage : public ContainedControl {
  protected:
    void SetUp() override {
        ContainedControl::SetUp();
        containPage(0, 0, 800, 600);
    }

    HWND item(int tab) const { return GetDlgItem(page_, 1000 + tab); }
    int focusedTab() const { return GetDlgCtrlID(GetFocus()) - 1000; }

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
};

TEST_F(ContainedPage, LayoutPlacesEveryControlThroughTheWindowsDpi) {
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
    // (The painting itself: OleControlTest.DrawPaintsThePage.)
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
    giveHostDimension(hostDimension, L"CubeRecorder");
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

    EXPECT_THAT(boxes.shown, ::testing::ElementsAre(kInfo));
    EXPECT_EQ(sink.events, "wizardResult(true)");
    EXPECT_EQ(byName(hostDimension.Get(), L"jsonLines"), linuxSample);
    const std::string calls = byName(hostDimension.Get(), L"callLog");
    EXPECT_EQ(contractBreach(calls, linuxSample), "") << calls;
    ComPtr<IDispatch> held;  // handed back as the host gave it
    ASSERT_EQ(ctrl->get_theTimeDimension(&held), S_OK);
    EXPECT_EQ(held.Get(), hostDimension.Get());
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
