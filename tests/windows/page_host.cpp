// A host window around the control, for trying the page by hand and for its screenshot under
// Wine (scripts/screenshots-windows.sh): Wine's ATL container (AtlAxWin of atl.dll) made with
// the control's ProgID, in a window titled "Annalex page" that fits the page at the display's
// DPI. Its message loop offers keys to the active control first, as a host's should. The page
// starts as in the Qt screenshot: Year, Month and Day ticked, days as DDD and months as MMM,
// the year 2001 typed in full; OK fills a dimension of the product's own cube.
//   regsvr32 annalex.dll
//   annalex_page_host.exe
//
// With --fail the dimension is one of the tests' cube recorder (regsvr32 cube_recorder.dll),
// which refuses the product's own objects (cubeLibrary "Annalex"): OK, pressed as soon as the
// page is on screen, fails, the window closes and the error report form shows (the screenshot
// script takes its picture). The program ends once no window of it is left.
//   annalex_page_host.exe --fail

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "platform/annalex.h"

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kTitle[] = L"Annalex page";
bool hostGone = false;

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        // The report form may outlive the window: the loop looks for windows now and then.
        hostGone = true;
        SetTimer(nullptr, 0, 250, nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

BOOL CALLBACK countVisible(HWND window, LPARAM count) {
    *reinterpret_cast<int*>(count) += IsWindowVisible(window) ? 1 : 0;
    return TRUE;
}

// Presses OK on the page's "Info" notice as soon as it shows (for --fail, which nobody watches).
LRESULT CALLBACK closeNotice(int code, WPARAM wParam, LPARAM lParam) {
    const auto& call = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    wchar_t title[16] = L"";
    if (code == HC_ACTION && call.message == WM_INITDIALOG &&
        GetWindowTextW(call.hwnd, title, 16) > 0 && std::wcscmp(title, L"Info") == 0) {
        PostMessageW(call.hwnd, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool anyWindowLeft() {
    int visible = 0;
    EnumThreadWindows(GetCurrentThreadId(), &countVisible, reinterpret_cast<LPARAM>(&visible));
    return visible > 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool fail = argc > 1 && std::strcmp(argv[1], "--fail") == 0;
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    OleInitialize(nullptr);
    const HMODULE atl = LoadLibraryW(L"atl.dll");
    const auto init = reinterpret_cast<BOOL(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    const auto getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    if (init == nullptr || getControl == nullptr || !init()) {
        std::fputs("annalex_page_host: atl.dll has no AtlAxWinInit or AtlAxGetControl\n", stderr);
        return 1;
    }

    WNDCLASSEXW hostClass{};
    hostClass.cbSize = sizeof hostClass;
    hostClass.lpfnWndProc = &hostProcedure;
    hostClass.hInstance = GetModuleHandleW(nullptr);
    hostClass.lpszClassName = L"AnnalexPageHost";
    RegisterClassExW(&hostClass);
    const UINT dpi = GetDpiForSystem();
    const int width = MulDiv(6495, static_cast<int>(dpi), 1440);
    const int height = MulDiv(4035, static_cast<int>(dpi), 1440);
    RECT frame{0, 0, width, height};
    // A caption without buttons (Alt+F4 closes the window).
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    AdjustWindowRectExForDpi(&frame, style, FALSE, 0, dpi);
    const HWND host =
        CreateWindowExW(0, hostClass.lpszClassName, kTitle, style, 40, 40, frame.right - frame.left,
                        frame.bottom - frame.top, nullptr, nullptr, hostClass.hInstance, nullptr);
    const HWND container =
        CreateWindowExW(0, L"AtlAxWin", L"Annalex.AnnalexCtrl", WS_CHILD | WS_VISIBLE, 0, 0, width,
                        height, host, nullptr, hostClass.hInstance, nullptr);
    ComPtr<IUnknown> control;
    ComPtr<IAnnalexCtrl> ctrl;
    ComPtr<IOleInPlaceActiveObject> active;
    if (container == nullptr || FAILED(getControl(container, &control)) ||
        FAILED(control.As(&ctrl)) || FAILED(control.As(&active))) {
        std::fputs("annalex_page_host: the control is not registered (regsvr32 annalex.dll)\n",
                   stderr);
        return 1;
    }

    ComPtr<IAnnalexCube> cube;
    ComPtr<IDispatch> dimension;
    BSTR time = SysAllocString(L"Time");
    CLSID recorder{};
    if (SUCCEEDED(
            CoCreateInstance(CLSID_Cube, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&cube))) &&
        SUCCEEDED(cube->ensureDimension(time, &dimension))) {
        if (fail && SUCCEEDED(CLSIDFromProgID(L"CubeRecorder.Dimension", &recorder))) {
            dimension.Reset();
            CoCreateInstance(recorder, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dimension));
        }
        ctrl->putref_theCube(cube.Get());
        ctrl->putref_theTimeDimension(dimension.Get());
    }
    SysFreeString(time);
    BSTR levels = SysAllocString(L"Year,Month,Day");
    BSTR year = SysAllocString(L"2001");
    ctrl->put_levels(levels);
    ctrl->put_cmbDay(1);
    ctrl->put_cmbMonth(1);
    ctrl->put_txtStartYear(year);
    ctrl->put_txtEndYear(year);
    SysFreeString(levels);
    SysFreeString(year);
    ShowWindow(host, SW_SHOW);

    MSG message;
    if (fail) {
        UpdateWindow(host);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        // The product's own classes: the recorder refuses them.
        const BSTR library = SysAllocString(L"Annalex");
        ctrl->put_cubeLibrary(library);
        SysFreeString(library);
        const HHOOK notice =
            SetWindowsHookExW(WH_CALLWNDPROCRET, &closeNotice, nullptr, GetCurrentThreadId());
        ctrl->clickOk();
        UnhookWindowsHookEx(notice);
    }
    while ((!hostGone || anyWindowLeft()) && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (active->TranslateAccelerator(&message) == S_OK) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
