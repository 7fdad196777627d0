#pragma once
// frmErrorHand as a Win32 dialog, bound both ways to the form model: the caption "Unexpected
// Error", the labels, the description box, both check boxes, the mail status beside them, both
// buttons (the model's default one the dialog's default), the enabled state of each, and Image1
// showing the screen picture scaled to fit with its proportions kept (or why there is none);
// Image2 and Image3 are the system's error and information icons, Image3 greyed with the mail
// options. The dialog is made from a template in memory in the dialog font (MS Shell Dlg, 8
// points) and laid out in dialog units, every wrapped label as high as its text needs, so that
// the whole form fits a screen of 800 x 600; each control's ID is one of ReportControl
// (report_controls.hpp).
//
// A press of a button runs the model's handler; Enter presses the default button and types a
// line break in the description box. Escape and the close box run the form's Form_QueryUnload:
// the close button's work, or, without a description, its message and the focus in the
// description box. A failure that escapes a handler is shown as a run-time error box and ends
// the report (the form is unloaded): no failure leaves the dialog half done on screen.
//
// Shown modeless, the dialog gets its keys (Tab, Enter, Escape) from the host's own message loop
// through a message hook of the thread, which hands the dialog's keyboard messages to
// IsDialogMessage; shown modal, the dialog's own loop runs until the form is unloaded.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/message_service.hpp"
#include "platform/report_controls.hpp"
#include "report/error_report_form.hpp"
#include "report/report_form_keeper.hpp"

namespace annalex::platform {

class Win32ReportForm final : public report::ReportFormView, public report::FormWindow {
  public:
    // Failures that escape a handler are shown through messages.
    Win32ReportForm(report::frmErrorHand& form, MessageService& messages);
    ~Win32ReportForm() override;
    Win32ReportForm(const Win32ReportForm&) = delete;
    Win32ReportForm& operator=(const Win32ReportForm&) = delete;

    // The dialog's window; null before it is shown and after it has gone.
    HWND window() const { return window_; }
    // Lives as long as this view (and its form): work for the form is dropped once it has gone.
    std::weak_ptr<const void> lifeToken() const { return token_; }
    // Whether showModeless may show the form: false while the host says it cannot take a
    // modeless window (its own modal dialog is up).
    void setModelessAllowed(bool allowed) { modelessAllowed_ = allowed; }

    // ReportFormView
    void showModeless() override;
    void showModal() override;
    bool visible() const override;
    // FormWindow
    void processPendingEvents() override;
    void unload() override;

  private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK keyboardHook(int code, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    std::vector<WORD> dialogTemplate() const;
    void created(HWND window);
    void gone();
    void createControls();
    HWND item(ReportControl id) const { return GetDlgItem(window_, id); }
    // Places every control and sizes the window to them.
    void layout();
    void command(int id, WORD code);
    void drawItem(const DRAWITEMSTRUCT& item);
    void drawPicture(HDC device, const RECT& place);
    void drawIcon(HDC device, const RECT& place, HICON icon, bool enabled);
    void bindModels();
    void showLabel(const report::FormLabel& model, ReportControl id);
    void showCheckBox(const report::FormCheckBox& model, ReportControl id);
    void showButton(const report::FormButton& model, ReportControl id);
    void showDescription();
    void typedDescription();
    void focusDescription();
    // Escape, the close box.
    void queryUnload();

    report::frmErrorHand& form_;
    MessageService& messages_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HICON errorIcon_ = nullptr;
    HICON informationIcon_ = nullptr;
    std::shared_ptr<const bool> token_ = std::make_shared<const bool>(true);
    bool modelessAllowed_ = true;
    bool modal_ = false;
    bool unloading_ = false;
    bool querying_ = false;
    // Set while the description box is shown the model's text: its change is no typing.
    bool showingDescription_ = false;
};

}  // namespace annalex::platform
