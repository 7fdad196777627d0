#include "platform/win32_page.hpp"

#include <commctrl.h>
#include <wrl/client.h>

#include <algorithm>
#include <mutex>
#include <system_error>

#include "platform/server_module.hpp"
#include "platform/wide_text.hpp"

namespace annalex::platform {

namespace {

using control::ControlKind;
using Microsoft::WRL::ComPtr;

constexpr wchar_t kPageClass[] = L"AnnalexPage";
constexpr LPARAM kUnticked = INDEXTOSTATEIMAGEMASK(1);
constexpr LPARAM kTicked = INDEXTOSTATEIMAGEMASK(2);

// The page's window class lives while pages do: a server that is unloaded leaves no class
// behind whose procedure would point into freed code.
std::mutex classLock;
int pagesAlive = 0;

void registerPageClass(WNDPROC procedure) {
    std::lock_guard lock(classLock);
    if (pagesAlive++ > 0) {
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = serverModule();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kPageClass;
    RegisterClassExW(&windowClass);  // a failure shows when the window is made
}

void unregisterPageClass() {
    std::lock_guard lock(classLock);
    if (--pagesAlive == 0) {
        UnregisterClassW(kPageClass, serverModule());
    }
}

[[noreturn]] void failed(const char* what) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A position in a model's UTF-8 text as a position in the window's UTF-16 text.
WPARAM widePosition(const std::string& text, std::int32_t bytes) {
    return toWide(std::string_view(text).substr(0, static_cast<std::size_t>(bytes))).size();
}

UINT dpiOf(HWND window) {
    if (const UINT dpi = GetDpiForWindow(window); dpi != 0) {
        return dpi;
    }
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

// A closed drop-down list as high as its place; open, it shows every entry. The selection
// field's height is what sets the closed list's; it is corrected by what the list then
// measures, since systems count the field's own border differently.
void fitDropDown(HWND combo, const RECT& place, std::size_t entries) {
    const int height = place.bottom - place.top;
    auto field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT shown{};
        GetWindowRect(combo, &shown);
        if (shown.bottom - shown.top == height) {
            break;
        }
        field += height - (shown.bottom - shown.top);
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    const auto item = SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0);
    const int open = height + static_cast<int>(item * static_cast<LRESULT>(entries)) +
                     2 * GetSystemMetrics(SM_CYEDGE);
    SetWindowPos(combo, nullptr, 0, 0, place.right - place.left, open,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void fillCheckList(HWND list, const control::CheckList& model) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(list, &client);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = client.right;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    for (std::size_t i = 0; i < model.entries().size(); ++i) {
        std::wstring text = toWide(model.entries()[i]);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = text.data();
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace

Win32Page::Win32Page(control::CalendarPage& page, HWND parent, const RECT& position,
                     IUnknown* owner, std::function<void()> focused)
    : page_(page), owner_(owner), focused_(std::move(focused)) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    registerPageClass(&procedure);
    // No clipping of the children, as in a dialog: the frames (group boxes) paint only their
    // edges and captions, and the page's background shows through them.
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, position.left, position.top,
                              position.right - position.left, position.bottom - position.top,
                              parent, nullptr, serverModule(), this);
    try {
        if (window_ == nullptr) {
            failed("The page's window could not be made");
        }
        createControls();
    } catch (...) {
        destroy();
        throw;
    }
    showing_ = false;
}

Win32Page::~Win32Page() {
    destroy();
}

void Win32Page::destroy() {
    *alive_ = false;
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
    unregisterPageClass();
}

void Win32Page::createControls() {
    const UINT dpi = dpiOf(window_);
    const PageScale scale = PageScale::ofDpi(dpi, dpi);
    fonts_ = std::make_unique<PageFonts>(scale);
    for (control::PageControl* model : page_.controls()) {
        createControl(*model, scale);
        show(*model);
    }
    // The frames lie beneath what they hold, so that clipping siblings keeps their contents.
    const auto& controls = page_.controls();
    for (auto model = controls.rbegin(); model != controls.rend(); ++model) {
        if ((*model)->kind() == ControlKind::Frame) {
            SetWindowPos(windowOf(**model), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

HWND Win32Page::createControl(control::PageControl& model, const PageScale& scale) {
    const RECT place = deviceRect(placeOnPage(page_, model), scale);
    const wchar_t* windowClass = L"BUTTON";
    std::wstring text;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD extended = 0;
    switch (model.kind()) {
        case ControlKind::Frame:
            style |= BS_GROUPBOX;
            text = toWide(static_cast<control::Frame&>(model).caption());
            break;
        case ControlKind::Label: {
            const auto& label = static_cast<control::Label&>(model);
            windowClass = L"STATIC";
            style |= SS_NOPREFIX |
                     (label.alignment() == control::TextAlignment::Centre ? SS_CENTER : SS_LEFT);
            text = toWide(label.caption());
            break;
        }
        case ControlKind::TextBox:
            windowClass = L"EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            extended = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::DropDownList:
            windowClass = WC_COMBOBOXW;
            style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
            break;
        case ControlKind::CheckList:
            windowClass = WC_LISTVIEWW;
            style |=
                WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
            extended = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::OptionButton:
            style |= WS_TABSTOP | BS_RADIOBUTTON | BS_NOTIFY | (model.index() == 0 ? WS_GROUP : 0);
            text = toWide(static_cast<control::OptionButton&>(model).caption());
            break;
        case ControlKind::PushButton:
            style |= WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
            text = toWide(static_cast<control::PushButton&>(model).caption());
            break;
    }
    const auto id = static_cast<INT_PTR>(kFirstControlId + model.tabIndex());
    const HWND control = CreateWindowExW(
        extended, windowClass, text.c_str(), style, place.left, place.top, place.right - place.left,
        place.bottom - place.top, window_, reinterpret_cast<HMENU>(id), serverModule(), nullptr);
    if (control == nullptr) {
        failed(("The window of " + model.name() + " could not be made").c_str());
    }
    windows_[&model] = control;
    models_[control] = &model;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->fontOf(model)), FALSE);
    if (model.kind() == ControlKind::DropDownList) {
        const auto& list = static_cast<control::DropDownList&>(model);
        for (const std::string& entry : list.entries()) {
            SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(entry).c_str()));
        }
        fitDropDown(control, place, list.entries().size());
    } else if (model.kind() == ControlKind::CheckList) {
        fillCheckList(control, static_cast<control::CheckList&>(model));
    }
    return control;
}

control::PageControl* Win32Page::modelOf(HWND control) const {
    const auto found = models_.find(control);
    return found == models_.end() ? nullptr : found->second;
}

HWND Win32Page::windowOf(const control::PageControl& model) const {
    const auto found = windows_.find(&model);
    return found == windows_.end() ? nullptr : found->second;
}

void Win32Page::move(const RECT& position, const RECT& clip) {
    SetWindowPos(window_, nullptr, position.left, position.top, position.right - position.left,
                 position.bottom - position.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT visible{};
    IntersectRect(&visible, &position, &clip);
    if (EqualRect(&visible, &position)) {
        SetWindowRgn(window_, nullptr, TRUE);
    } else {
        OffsetRect(&visible, -position.left, -position.top);
        SetWindowRgn(window_, CreateRectRgnIndirect(&visible), TRUE);  // the window owns it
    }
}

void Win32Page::show(const control::PageControl& model) {
    const HWND control = windowOf(model);
    if (control == nullptr) {
        return;
    }
    const bool wasShowing = showing_;
    showing_ = true;
    switch (model.kind()) {
        case ControlKind::Label:
            SetWindowTextW(control,
                           toWide(static_cast<const control::Label&>(model).caption()).c_str());
            break;
        case ControlKind::TextBox: {
            const auto& box = static_cast<const control::TextBox&>(model);
            const std::wstring text = toWide(box.text());
            if (windowText(control) != text) {
                SetWindowTextW(control, text.c_str());
            }
            if (echoPending_) {
                // The model took the person's edit, which the box already shows with the
                // insertion point where the person left it.
                echoPending_ = false;
                break;
            }
            SendMessageW(control, EM_SETSEL, widePosition(box.text(), box.selStart()),
                         widePosition(box.text(), box.selStart() + box.selLength()));
            break;
        }
        case ControlKind::DropDownList:
            SendMessageW(
                control, CB_SETCURSEL,
                static_cast<WPARAM>(static_cast<const control::DropDownList&>(model).listIndex()),
                0);
            break;
        case ControlKind::CheckList: {
            const auto& list = static_cast<const control::CheckList&>(model);
            for (std::size_t i = 0; i < list.entries().size(); ++i) {
                LVITEMW item{};
                item.stateMask = LVIS_STATEIMAGEMASK;
                item.state = list.selected(static_cast<std::int32_t>(i)) ? kTicked : kUnticked;
                SendMessageW(control, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
            }
            break;
        }
        case ControlKind::OptionButton:
            SendMessageW(control, BM_SETCHECK,
                         static_cast<const control::OptionButton&>(model).value() ? BST_CHECKED
                                                                                  : BST_UNCHECKED,
                         0);
            break;
        case ControlKind::Frame:
        case ControlKind::PushButton:
            break;
    }
    showing_ = wasShowing;
}

void Win32Page::showFocus() {
    const control::PageControl* focused = page_.focus().focused();
    const HWND control = focused == nullptr ? nullptr : windowOf(*focused);
    if (control == nullptr || GetFocus() == control) {
        return;
    }
    const bool wasShowing = showing_;
    showing_ = true;
    SetFocus(control);
    showing_ = wasShowing;
}

void Win32Page::takeFocus() {
    const control::PageControl* target = page_.focus().focused();
    if (target == nullptr) {
        target = page_.focusOrder().front();
    }
    SetFocus(windowOf(*target));
}

void Win32Page::setBusy(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursor(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

LRESULT CALLBACK Win32Page::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* page = reinterpret_cast<Win32Page*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (page == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // The handlers below may raise the control's events: nothing of the page is used after
    // them, since a host may close the page from an event.
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) {
                const ComPtr<IUnknown> owner(page->owner_);
                page->command(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
                return 0;
            }
            break;
        case WM_NOTIFY: {
            const ComPtr<IUnknown> owner(page->owner_);
            page->notify(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        }
        case WM_SETFOCUS:
            page->takeFocus();
            return 0;
        case WM_SETCURSOR:
            if (page->busy_) {
                SetCursor(LoadCursor(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Page::command(HWND control, WORD code) {
    control::PageControl* model = modelOf(control);
    if (model == nullptr) {
        return;
    }
    if (code == EN_SETFOCUS || code == CBN_SETFOCUS || code == BN_SETFOCUS) {
        tookFocus(control);
        return;
    }
    if (showing_) {
        return;
    }
    switch (model->kind()) {
        case ControlKind::TextBox:
            if (code == EN_CHANGE) {
                typed(static_cast<control::TextBox&>(*model), control);
            }
            break;
        case ControlKind::DropDownList: {
            auto& list = static_cast<control::DropDownList&>(*model);
            // A choice made in the open list counts when the list closes on it; the arrow keys
            // choose at once in a closed one.
            const bool open = SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0) != 0;
            if (code == CBN_SELENDOK || (code == CBN_SELCHANGE && !open)) {
                const auto index = SendMessageW(control, CB_GETCURSEL, 0, 0);
                if (index != CB_ERR) {
                    list.select(static_cast<std::int16_t>(index));
                }
            } else if (code == CBN_SELENDCANCEL) {
                show(list);
            }
            break;
        }
        case ControlKind::OptionButton:
            if (code == BN_CLICKED) {
                static_cast<control::OptionButton&>(*model).click();
            }
            break;
        case ControlKind::PushButton:
            if (code == BN_CLICKED) {
                static_cast<control::PushButton&>(*model).click();
            }
            break;
        default:
            break;
    }
}

void Win32Page::notify(const NMHDR& header) {
    control::PageControl* model = modelOf(header.hwndFrom);
    if (model == nullptr || model->kind() != ControlKind::CheckList) {
        return;
    }
    auto& list = static_cast<control::CheckList&>(*model);
    if (header.code == NM_SETFOCUS) {
        // A list reached by the keyboard has an entry to tick with the space bar.
        if (SendMessageW(header.hwndFrom, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) <
            0) {
            LVITEMW item{};
            item.stateMask = LVIS_FOCUSED;
            item.state = LVIS_FOCUSED;
            SendMessageW(header.hwndFrom, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        }
        tookFocus(header.hwndFrom);
    } else if (showing_) {
        return;
    } else if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) != 0 &&
            ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) != 0) {
            list.setSelected(change.iItem, (change.uNewState & LVIS_STATEIMAGEMASK) == kTicked);
        }
    } else if (header.code == NM_CLICK) {
        // A click anywhere on an entry ticks or unticks it, not only on its tick box.
        LVHITTESTINFO hit{};
        hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
        SendMessageW(header.hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEM) != 0 &&
            (hit.flags & LVHT_ONITEMSTATEICON) == 0) {
            list.setSelected(hit.iItem, !list.selected(hit.iItem));
        }
    }
}

void Win32Page::typed(control::TextBox& box, HWND edit) {
    const std::shared_ptr<bool> alive = alive_;
    echoPending_ = true;
    box.setText(fromWide(windowText(edit)));  // the box's Change handler runs
    if (*alive) {
        echoPending_ = false;
    }
}

void Win32Page::tookFocus(HWND control) {
    control::PageControl* model = modelOf(control);
    const std::shared_ptr<bool> alive = alive_;
    if (!showing_ && model != nullptr && !model->hasFocus()) {
        model->setFocus();
    }
    if (*alive && focused_) {
        focused_();
    }
}

void Win32Page::moveFocus(bool forward) {
    const auto order = page_.focusOrder();
    control::PageControl* current = modelOf(GetFocus());
    control::PageControl* next = page_.nextInFocusOrder(current);
    if (!forward) {
        const auto at = std::find(order.begin(), order.end(), current);
        next = at == order.end() || at == order.begin() ? order.back() : *std::prev(at);
    }
    if (next->kind() == ControlKind::TextBox) {
        static_cast<control::TextBox*>(next)->selectAll();
    }
    next->setFocus();
}

bool Win32Page::translateKey(const MSG& message) {
    if (message.message != WM_KEYDOWN ||
        (message.hwnd != window_ && IsChild(window_, message.hwnd) == FALSE) ||
        GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) {
        return false;
    }
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const HWND focus = GetFocus();
    control::PageControl* focused = modelOf(focus);
    const ComPtr<IUnknown> owner(owner_);
    switch (message.wParam) {
        case VK_TAB:
            moveFocus(!shift);
            return true;
        case VK_RETURN:
            if (shift || focused == nullptr || focused->kind() != ControlKind::PushButton) {
                return false;
            }
            static_cast<control::PushButton*>(focused)->click();
            return true;
        case VK_ESCAPE:
            if (shift || (focused != nullptr && focused->kind() == ControlKind::DropDownList &&
                          SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0) != 0)) {
                return false;
            }
            page_.btCancel.click();
            return true;
        default:
            return false;
    }
}

}  // namespace annalex::platform
