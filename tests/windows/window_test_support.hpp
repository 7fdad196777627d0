#pragma once
// What the tests that work windows share: window texts and classes, the message boxes the
// thread shows (noted and closed as they come up), Wine's ATL container, a host's message loop
// that offers keys to the control's active object first, as a person's keys reach it, and a
// fixture that holds the control in the container in a host's window.

#include <gtest/gtest.h>
#include <oleidl.h>
#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "com_test_support.hpp"

namespace annalex::testing {

inline std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline std::wstring className(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

// A message box as the person sees it.
struct ShownBox {
    std::wstring title;
    std::wstring text;
    bool icon = false;
    bool topmost = false;  // system-modal boxes stay above every window
    bool operator==(const ShownBox&) const = default;
    friend void PrintTo(const ShownBox& box, std::ostream* out) {
        *out << std::string(box.title.begin(), box.title.end()) << ": "
             << std::string(box.text.begin(), box.text.end()) << (box.icon ? " [icon]" : "")
             << (box.topmost ? " [topmost]" : "");
    }
};

// The notice OK shows before it generates.
inline const ShownBox kInfo{
    L"Info", L"The generation of the selected calendar may take a few minutes. Please wait.", true,
    false};

// Notes every message box of the thread once it is set up, and closes it with its OK button.
// Other dialogs, which have no OK button, are handed to onOtherDialog, if set.
class BoxCloser {
  public:
    BoxCloser()
        : hook_(SetWindowsHookExW(WH_CALLWNDPROCRET, &hook, nullptr, GetCurrentThreadId())) {
        current_ = this;
    }
    ~BoxCloser() {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    BoxCloser(const BoxCloser&) = delete;
    BoxCloser& operator=(const BoxCloser&) = delete;
    std::vector<ShownBox> shown;
    std::function<void(HWND)> onOtherDialog;

  private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto& call = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        const bool dialog = code == HC_ACTION && call.message == WM_INITDIALOG &&
                            current_ != nullptr && className(call.hwnd) == L"#32770";
        if (dialog && GetDlgItem(call.hwnd, IDOK) == nullptr && current_->onOtherDialog) {
            current_->onOtherDialog(call.hwnd);
        } else if (dialog && GetDlgItem(call.hwnd, IDOK) != nullptr) {
            const HWND box = call.hwnd;
            ShownBox seen{windowText(box), L"", false,
                          (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0};
            for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                const LONG style = GetWindowLongW(child, GWL_STYLE);
                if (className(child) != L"Static" || (style & WS_VISIBLE) == 0) {
                    continue;
                }
                if ((style & SS_TYPEMASK) == SS_ICON) {
                    seen.icon = SendMessageW(child, STM_GETICON, 0, 0) != 0;
                } else {
                    seen.text += windowText(child);
                }
            }
            current_->shown.push_back(seen);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK hook_;
    static inline BoxCloser* current_ = nullptr;
};

using AtlAxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

// Wine's atl.dll, loaded once: its window classes stay registered for the process.
inline AtlAxGetControl atlGetControl() {
    static const AtlAxGetControl getControl = []() -> AtlAxGetControl {
        const HMODULE atl = LoadLibraryW(L"atl.dll");
        const auto init = exported<BOOL(WINAPI*)()>(atl, "AtlAxWinInit");
        return atl == nullptr || init == nullptr || !init()
                   ? nullptr
                   : exported<AtlAxGetControl>(atl, "AtlAxGetControl");
    }();
    return getControl;
}

// A host's message loop until nothing is left to do: keys go to the active object first.
inline void pumpMessages(IOleInPlaceActiveObject* active) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (active != nullptr && active->TranslateAccelerator(&message) == S_OK) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The control in Wine's ATL container: a window of class AtlAxWin made with the control's
// ProgID activates it in place, and the test reaches the control only through AtlAxGetControl.
// The container has the page's size (6495 x 4035 twips at the host window's resolution).
class ContainedControl : public RegisteredServer {
  protected:
    void containPage(int left, int top, int width, int height) {
        const AtlAxGetControl getControl = atlGetControl();
        ASSERT_NE(getControl, nullptr) << "atl.dll: no AtlAxWinInit or AtlAxGetControl";
        host_ = CreateWindowExW(0, L"STATIC", L"Annalex page host",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, left, top,
                                width, height, nullptr, nullptr, nullptr, nullptr);
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
    // Lets the control go with the host's window, which closes the container (when the test has
    // not closed it already).
    void releaseContainer() {
        active_.Reset();
        ctrl.Reset();
        dimension.Reset();
        if (IsWindow(host_)) {
            DestroyWindow(host_);
        }
        pump();
    }
    void TearDown() override {
        releaseContainer();
        RegisteredServer::TearDown();
    }

    int pixels(int twips) const { return MulDiv(twips, dpi_, 1440); }
    void pump() { pumpMessages(active_.Get()); }
    // A key pressed and released in the focused window.
    void press(UINT key, bool shift = false) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        const HWND focus = GetFocus();
        PostMessageW(focus, WM_KEYDOWN, key, 1);
        PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
        pump();
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }
    // Characters typed one by one into the focused window.
    void type(const std::wstring& text) {
        for (const wchar_t character : text) {
            PostMessageW(GetFocus(), WM_CHAR, character, 1);
            pump();
        }
    }

    HWND host_ = nullptr;
    HWND page_ = nullptr;
    int dpi_ = 96;
    ComPtr<IOleInPlaceActiveObject> active_;
};

}  // namespace annalex::testing
