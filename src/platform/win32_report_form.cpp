#include "platform/win32_report_form.hpp"

#include <commctrl.h>

#include <stdexcept>

#include "platform/server_module.hpp"
#include "platform/wide_text.hpp"
#include "report/handler_failures.hpp"

namespace annalex::platform {
namespace {

constexpr DWORD kDialogStyle =
    DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_3DLOOK;
constexpr wchar_t kFontFace[] = L"MS Shell Dlg";
constexpr WORD kFontPoints = 8;

// The form in dialog units: its width, the margins, the picture's height (less when the screen
// is too small for it, down to its least), the buttons' height and least width.
constexpr int kFormWidth = 300;
constexpr int kMargin = 7;
constexpr int kGap = 4;
constexpr int kPictureHeight = 100;
constexpr int kLeastPictureHeight = 36;
constexpr int kCheckBoxHeight = 10;
constexpr int kButtonHeight = 14;
constexpr int kLeastButtonWidth = 50;
constexpr int kDescriptionLines = 4;
constexpr int kIconPixels = 32;  // at 96 dpi

// The hook that hands a modeless form its keys, and the form it is for.
HHOOK keyHook = nullptr;
HWND keyHookForm = nullptr;

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The text box holds CR LF; the model, like the Qt face's, holds LF alone.
std::wstring withoutCr(std::wstring text) {
    std::erase(text, L'\r');
    return text;
}

std::wstring withCr(const std::wstring& text) {
    std::wstring out;
    for (const wchar_t c : text) {
        if (c == L'\n') {
            out += L'\r';
        }
        out += c;
    }
    return out;
}

// The system's error and information icons (IDI_ERROR, IDI_INFORMATION).
constexpr WORD kErrorIcon = 32513;
constexpr WORD kInformationIcon = 32516;

// A system icon at a size, from the icon's own images (destroyed by the caller).
HICON systemIcon(WORD id, int size) {
    return static_cast<HICON>(CopyImage(LoadIconW(nullptr, MAKEINTRESOURCEW(id)), IMAGE_ICON, size,
                                        size, LR_COPYFROMRESOURCE));
}

void append(std::vector<WORD>& words, const wchar_t* text) {
    for (; *text != L'\0'; ++text) {
        words.push_back(static_cast<WORD>(*text));
    }
    words.push_back(0);
}

}  // namespace

Win32ReportForm::Win32ReportForm(report::frmErrorHand& form, MessageService& messages)
    : form_(form), messages_(messages) {
    bindModels();
    form_.attachWindow(this);
}

Win32ReportForm::~Win32ReportForm() {
    form_.attachWindow(nullptr);
    if (window_ != nullptr) {
        const HWND window = window_;
        gone();
        DestroyWindow(window);
    }
    if (errorIcon_ != nullptr) {
        DestroyIcon(errorIcon_);
    }
    if (informationIcon_ != nullptr) {
        DestroyIcon(informationIcon_);
    }
}

std::vector<WORD> Win32ReportForm::dialogTemplate() const {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = kDialogStyle;
    words.push_back(0);  // no menu
    words.push_back(0);  // the dialog class
    append(words, toWide(report::frmErrorHand::kCaption).c_str());
    words.push_back(kFontPoints);
    append(words, kFontFace);
    return words;
}

void Win32ReportForm::showModeless() {
    if (!modelessAllowed_) {
        throw std::runtime_error("the host cannot take a modeless window now");
    }
    const std::vector<WORD> words = dialogTemplate();
    const HWND window = CreateDialogIndirectParamW(
        serverModule(), reinterpret_cast<const DLGTEMPLATE*>(words.data()), nullptr, &procedure,
        reinterpret_cast<LPARAM>(this));
    if (window == nullptr) {
        throw std::runtime_error("the report form's window cannot be made");
    }
    if (keyHook == nullptr) {
        keyHook = SetWindowsHookExW(WH_GETMESSAGE, &keyboardHook, nullptr, GetCurrentThreadId());
    }
    keyHookForm = window;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    focusDescription();
}

void Win32ReportForm::showModal() {
    modal_ = true;
    const std::vector<WORD> words = dialogTemplate();
    if (DialogBoxIndirectParamW(serverModule(), reinterpret_cast<const DLGTEMPLATE*>(words.data()),
                                nullptr, &procedure, reinterpret_cast<LPARAM>(this)) == -1) {
        throw std::runtime_error("the report form's window cannot be made");
    }
}

bool Win32ReportForm::visible() const {
    return window_ != nullptr && IsWindowVisible(window_);
}

void Win32ReportForm::processPendingEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // the host's loop ends it
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32ReportForm::unload() {
    if (unloading_) {
        return;
    }
    unloading_ = true;
    if (window_ == nullptr) {
        return;
    }
    if (modal_) {
        EndDialog(window_, 0);
    } else {
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK Win32ReportForm::keyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && keyHookForm != nullptr &&
        message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST &&
        (message->hwnd == keyHookForm || IsChild(keyHookForm, message->hwnd)) &&
        IsDialogMessageW(keyHookForm, message)) {
        // Used up by the dialog: the host's loop gets nothing to dispatch.
        message->message = WM_NULL;
        message->wParam = 0;
        message->lParam = 0;
    }
    return CallNextHookEx(keyHook, code, wParam, lParam);
}

INT_PTR CALLBACK Win32ReportForm::procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* form = reinterpret_cast<Win32ReportForm*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        form->created(window);
        return FALSE;  // the focus is in the description box
    }
    auto* form = reinterpret_cast<Win32ReportForm*>(GetWindowLongPtrW(window, DWLP_USER));
    if (form == nullptr || form->window_ != window) {
        return FALSE;
    }
    return form->handle(message, wParam, lParam);
}

INT_PTR Win32ReportForm::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            command(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_CLOSE:
            queryUnload();
            return TRUE;
        case WM_DRAWITEM:
            drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DESTROY:
            gone();
            return FALSE;
        default:
            return FALSE;
    }
}

void Win32ReportForm::created(HWND window) {
    window_ = window;
    font_ = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    const int icon = MulDiv(kIconPixels, static_cast<int>(GetDpiForWindow(window)), 96);
    if (errorIcon_ == nullptr) {
        errorIcon_ = systemIcon(kErrorIcon, icon);
        informationIcon_ = systemIcon(kInformationIcon, icon);
    }
    createControls();
    layout();
    // In the middle of the screen's work area.
    RECT frame{};
    GetWindowRect(window, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(
        window, nullptr,
        work.left + std::max(0L, (work.right - work.left - (frame.right - frame.left)) / 2),
        work.top + std::max(0L, (work.bottom - work.top - (frame.bottom - frame.top)) / 2), 0, 0,
        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    focusDescription();
}

void Win32ReportForm::gone() {
    if (keyHookForm == window_) {
        keyHookForm = nullptr;
        if (keyHook != nullptr) {
            UnhookWindowsHookEx(keyHook);
            keyHook = nullptr;
        }
    }
    window_ = nullptr;
    // Closed by something other than the form (the host's thread ending): the form is unloaded.
    if (!form_.unloaded()) {
        unloading_ = true;
        form_.unloadForm();
    }
}

void Win32ReportForm::createControls() {
    struct Made {
        ReportControl id;
        const wchar_t* windowClass;
        DWORD style;
        DWORD extendedStyle;
    };
    // In focus order.
    static constexpr Made kControls[] = {
        {kImage2, L"STATIC", SS_OWNERDRAW, 0},
        {kLabel1, L"STATIC", SS_LEFT | SS_NOPREFIX, 0},
        {kLblWhatDoing, L"STATIC", SS_LEFT | SS_NOPREFIX, 0},
        {kEdtWhatDoing, L"EDIT",
         ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE},
        {kImage1, L"STATIC", SS_OWNERDRAW, 0},
        {kImage3, L"STATIC", SS_OWNERDRAW, 0},
        {kChkAttachScreen, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0},
        {kChkEmailStore, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0},
        {kLblInfo, L"STATIC", SS_LEFT | SS_NOPREFIX, 0},
        {kLblMailStatus, L"STATIC", SS_LEFT | SS_NOPREFIX, 0},
        {kButEMail, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0},
        {kButClose, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0},
        {kLabel2, L"STATIC", SS_LEFT | SS_NOPREFIX, 0},
    };
    for (const Made& made : kControls) {
        const HWND control = CreateWindowExW(
            made.extendedStyle, made.windowClass, L"", WS_CHILD | WS_VISIBLE | made.style, 0, 0, 0,
            0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(made.id)), serverModule(),
            nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    SetWindowTextW(item(kChkAttachScreen), toWide(form_.chkAttachScreen.caption()).c_str());
    SetWindowTextW(item(kChkEmailStore), toWide(form_.chkEmailStore.caption()).c_str());
    SetWindowTextW(item(kButEMail), toWide(form_.butEMail.caption()).c_str());
    SetWindowTextW(item(kButClose), toWide(form_.butClose.caption()).c_str());
    showLabel(form_.Label1, kLabel1);
    showLabel(form_.lblWhatDoing, kLblWhatDoing);
    showLabel(form_.lblInfo, kLblInfo);
    showLabel(form_.lblMailStatus, kLblMailStatus);
    showLabel(form_.Label2, kLabel2);
    showCheckBox(form_.chkAttachScreen, kChkAttachScreen);
    showCheckBox(form_.chkEmailStore, kChkEmailStore);
    showButton(form_.butEMail, kButEMail);
    showButton(form_.butClose, kButClose);
    EnableWindow(item(kImage3), form_.Image3.enabled());
    showDescription();
}

void Win32ReportForm::layout() {
    if (window_ == nullptr) {
        return;
    }
    RECT unit{0, 0, 4, 8};
    MapDialogRect(window_, &unit);
    const auto dx = [&unit](int units) { return MulDiv(units, unit.right, 4); };
    const auto dy = [&unit](int units) { return MulDiv(units, unit.bottom, 8); };
    const UINT dpi = GetDpiForWindow(window_);
    const int icon = MulDiv(kIconPixels, static_cast<int>(dpi), 96);
    const int width = dx(kFormWidth);
    const int margin = dx(kMargin);
    const int gap = dy(kGap);
    const int inner = width - 2 * margin;
    const int besideIcon = margin + icon + dx(kMargin);

    const HDC device = GetDC(window_);
    const HGDIOBJ previousFont = SelectObject(device, font_);
    const auto textHeight = [&](ReportControl id, int textWidth) {
        const std::wstring text = windowText(item(id));
        if (text.empty()) {
            return 0;
        }
        RECT bounds{0, 0, textWidth, 0};
        DrawTextW(device, text.c_str(), -1, &bounds,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
        return static_cast<int>(bounds.bottom);
    };
    const auto buttonWidth = [&](ReportControl id) {
        const std::wstring text = windowText(item(id));
        SIZE size{};
        GetTextExtentPoint32W(device, text.c_str(), static_cast<int>(text.size()), &size);
        return std::max(static_cast<int>(size.cx) + dx(16), dx(kLeastButtonWidth));
    };
    TEXTMETRICW metrics{};
    GetTextMetricsW(device, &metrics);

    // Everything from a top edge, with the picture this high; the height it all takes.
    const auto place = [&](int pictureHeight, bool move) {
        const auto put = [&](ReportControl id, int x, int y, int w, int h) {
            if (move) {
                SetWindowPos(item(id), nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
            }
        };
        int y = margin;
        const int heading = textHeight(kLabel1, width - besideIcon - margin);
        put(kImage2, margin, y, icon, icon);
        put(kLabel1, besideIcon, y, width - besideIcon - margin, heading);
        y += std::max(icon, heading) + gap;
        const int whatDoing = textHeight(kLblWhatDoing, inner);
        put(kLblWhatDoing, margin, y, inner, whatDoing);
        y += whatDoing + dy(2);
        const int description = kDescriptionLines * static_cast<int>(metrics.tmHeight) +
                                2 * GetSystemMetrics(SM_CYEDGE) + 4;
        put(kEdtWhatDoing, margin, y, inner, description);
        y += description + gap;
        put(kImage1, margin, y, inner, pictureHeight);
        y += pictureHeight + gap;
        const int column = width - besideIcon - margin;
        int right = y;
        put(kImage3, margin, y, icon, icon);
        put(kChkAttachScreen, besideIcon, right, column, dy(kCheckBoxHeight));
        right += dy(kCheckBoxHeight);
        put(kChkEmailStore, besideIcon, right, column, dy(kCheckBoxHeight));
        right += dy(kCheckBoxHeight) + dy(2);
        const int info = textHeight(kLblInfo, column);
        put(kLblInfo, besideIcon, right, column, info);
        right += info;
        const int status = textHeight(kLblMailStatus, column);
        if (status > 0) {
            right += dy(2);
        }
        put(kLblMailStatus, besideIcon, right, column, status);
        right += status;
        y = std::max(y + icon, right) + gap;
        const int closeWidth = buttonWidth(kButClose);
        const int mailWidth = buttonWidth(kButEMail);
        put(kButClose, width - margin - closeWidth, y, closeWidth, dy(kButtonHeight));
        put(kButEMail, width - margin - closeWidth - dx(kGap) - mailWidth, y, mailWidth,
            dy(kButtonHeight));
        y += dy(kButtonHeight) + gap;
        const int closing = textHeight(kLabel2, inner);
        put(kLabel2, margin, y, inner, closing);
        return y + closing + margin;
    };

    // The picture gives up height when the screen's work area cannot hold the whole form.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
    const int room = (monitor.rcWork.bottom - monitor.rcWork.top) - (frame.bottom - frame.top);
    int pictureHeight = dy(kPictureHeight);
    const int wanted = place(pictureHeight, false);
    if (wanted > room) {
        pictureHeight = std::max(dy(kLeastPictureHeight), pictureHeight - (wanted - room));
    }
    const int height = place(pictureHeight, true);
    SelectObject(device, previousFont);
    ReleaseDC(window_, device);
    ShowWindow(item(kLblMailStatus), form_.lblMailStatus.caption().empty() ? SW_HIDE : SW_SHOWNA);

    RECT outer{0, 0, width, height};
    AdjustWindowRectExForDpi(&outer, style, FALSE, exStyle, dpi);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32ReportForm::bindModels() {
    const auto label = [this](report::FormLabel& model, ReportControl id) {
        model.addObserver([this, &model, id] {
            if (window_ != nullptr) {
                showLabel(model, id);
                layout();
            }
        });
    };
    label(form_.Label1, kLabel1);
    label(form_.lblWhatDoing, kLblWhatDoing);
    label(form_.lblInfo, kLblInfo);
    label(form_.lblMailStatus, kLblMailStatus);
    label(form_.Label2, kLabel2);
    for (auto [model, id] : {std::pair{&form_.chkAttachScreen, kChkAttachScreen},
                             std::pair{&form_.chkEmailStore, kChkEmailStore}}) {
        model->addObserver([this, model = model, id = id] {
            if (window_ != nullptr) {
                showCheckBox(*model, id);
            }
        });
    }
    for (auto [model, id] :
         {std::pair{&form_.butEMail, kButEMail}, std::pair{&form_.butClose, kButClose}}) {
        model->addObserver([this, model = model, id = id] {
            if (window_ != nullptr) {
                showButton(*model, id);
            }
        });
    }
    form_.edtWhatDoing.addObserver([this] {
        if (window_ != nullptr) {
            showDescription();
        }
    });
    form_.edtWhatDoing.onFocusRequest([this] { focusDescription(); });
    for (auto [model, id] : {std::pair{&form_.Image1, kImage1}, std::pair{&form_.Image2, kImage2},
                             std::pair{&form_.Image3, kImage3}}) {
        model->addObserver([this, model = model, id = id] {
            if (window_ != nullptr) {
                EnableWindow(item(id), model->enabled());
                InvalidateRect(item(id), nullptr, TRUE);
            }
        });
    }
}

void Win32ReportForm::showLabel(const report::FormLabel& model, ReportControl id) {
    const std::wstring caption = toWide(model.caption());
    if (windowText(item(id)) != caption) {
        SetWindowTextW(item(id), caption.c_str());
    }
    EnableWindow(item(id), model.enabled());
}

void Win32ReportForm::showCheckBox(const report::FormCheckBox& model, ReportControl id) {
    CheckDlgButton(window_, id, model.checked() ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(item(id), model.enabled());
}

void Win32ReportForm::showButton(const report::FormButton& model, ReportControl id) {
    EnableWindow(item(id), model.enabled());
    SendMessageW(item(id), BM_SETSTYLE, model.isDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    if (model.isDefault()) {
        SendMessageW(window_, DM_SETDEFID, static_cast<WPARAM>(id), 0);
    }
}

void Win32ReportForm::showDescription() {
    const std::wstring text = toWide(form_.edtWhatDoing.text());
    if (withoutCr(windowText(item(kEdtWhatDoing))) != text) {
        showingDescription_ = true;
        SetWindowTextW(item(kEdtWhatDoing), withCr(text).c_str());
        showingDescription_ = false;
    }
}

void Win32ReportForm::typedDescription() {
    if (!showingDescription_) {
        form_.edtWhatDoing.setText(fromWide(withoutCr(windowText(item(kEdtWhatDoing)))));
    }
}

void Win32ReportForm::focusDescription() {
    if (window_ == nullptr) {
        return;
    }
    if (GetActiveWindow() != window_) {
        SetActiveWindow(window_);
    }
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(kEdtWhatDoing)), TRUE);
}

void Win32ReportForm::command(int id, WORD code) {
    switch (id) {
        case kButEMail:
        case kButClose:
            if (code == BN_CLICKED) {
                const report::FormButton& button =
                    id == kButEMail ? form_.butEMail : form_.butClose;
                report::runFormHandler(form_, messages_, [&button] { button.click(); });
            }
            break;
        case kChkAttachScreen:
        case kChkEmailStore:
            if (code == BN_CLICKED) {
                (id == kChkAttachScreen ? form_.chkAttachScreen : form_.chkEmailStore)
                    .setChecked(IsDlgButtonChecked(window_, id) == BST_CHECKED);
            }
            break;
        case kEdtWhatDoing:
            if (code == EN_CHANGE) {
                typedDescription();
            }
            break;
        case IDCANCEL:
            queryUnload();
            break;
        default:
            break;
    }
}

void Win32ReportForm::queryUnload() {
    if (querying_ || unloading_ || form_.unloaded()) {
        return;
    }
    querying_ = true;
    report::runFormHandler(form_, messages_, [this] { form_.Form_QueryUnload(); });
    querying_ = false;
}

void Win32ReportForm::drawItem(const DRAWITEMSTRUCT& drawn) {
    switch (drawn.CtlID) {
        case kImage1:
            drawPicture(drawn.hDC, drawn.rcItem);
            break;
        case kImage2:
            drawIcon(drawn.hDC, drawn.rcItem, errorIcon_, true);
            break;
        case kImage3:
            drawIcon(drawn.hDC, drawn.rcItem, informationIcon_, form_.Image3.enabled());
            break;
        default:
            break;
    }
}

void Win32ReportForm::drawPicture(HDC device, const RECT& place) {
    FillRect(device, &place, GetSysColorBrush(COLOR_BTNFACE));
    const report::Picture& picture = form_.Image1.picture();
    if (picture.empty()) {
        RECT text = place;
        InflateRect(&text, -8, -8);
        const HGDIOBJ previous = SelectObject(device, font_);
        SetBkMode(device, TRANSPARENT);
        SetTextColor(device, GetSysColor(COLOR_BTNTEXT));
        DrawTextW(device, toWide(form_.Image1.note()).c_str(), -1, &text,
                  DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(device, previous);
        return;
    }
    // Scaled to fit with its proportions kept, in the middle of the place.
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    int shownWidth = width;
    int shownHeight = MulDiv(picture.height(), width, picture.width());
    if (shownHeight > height) {
        shownHeight = height;
        shownWidth = MulDiv(picture.width(), height, picture.height());
    }
    const int left = place.left + (width - shownWidth) / 2;
    const int top = place.top + (height - shownHeight) / 2;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = picture.bytesPerLine() / 4;
    format.bmiHeader.biHeight = -picture.height();
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(device, HALFTONE);
    SetBrushOrgEx(device, 0, 0, nullptr);
    StretchDIBits(device, left, top, shownWidth, shownHeight, 0, 0, picture.width(),
                  picture.height(), picture.row(0), &format, DIB_RGB_COLORS, SRCCOPY);
    const RECT frame{left, top, left + shownWidth, top + shownHeight};
    FrameRect(device, &frame, GetSysColorBrush(COLOR_BTNSHADOW));
}

void Win32ReportForm::drawIcon(HDC device, const RECT& place, HICON icon, bool enabled) {
    FillRect(device, &place, GetSysColorBrush(COLOR_BTNFACE));
    DrawStateW(device, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, place.left, place.top,
               place.right - place.left, place.bottom - place.top,
               DST_ICON | (enabled ? DSS_NORMAL : DSS_DISABLED));
}

}  // namespace annalex::platform
