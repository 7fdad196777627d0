#pragma once
// The calendar page as Win32 windows: a child window of the container holding one plain
// user32/comctl32 control per page model (group boxes, static labels, edit boxes, drop-down
// combo boxes, a list view with tick boxes, radio and push buttons), bound to the models both
// ways, as the Qt face binds its widgets.
//
// Each control's window has the control ID 1000 + its tab index, lies at its place on the page
// converted from twips through the DPI of the page's window (page_layout.hpp), and shows the
// model's font. What a person does (typing, ticking, choosing, clicking, moving the focus)
// goes to the models, which raise the control's handlers; what the models then hold (texts,
// selections, ticks, choices, the focus, the preview caption) is shown at once, through
// show() and showFocus(), which the owner calls from the models' observers.
//
// Keys the container's message loop hands over (translateKey): Tab and Shift+Tab move the
// focus along the page's focus order, selecting the whole text of a box they reach; Enter on
// a focused button presses it; Escape presses Cancel, unless a drop-down list is open.

#include <windows.h>

#include <functional>
#include <memory>
#include <unordered_map>

#include "control/calendar_page.hpp"
#include "platform/page_layout.hpp"

namespace annalex::platform {

class Win32Page {
  public:
    static constexpr int kFirstControlId = 1000;

    // Shows the page as a child window of parent at position (in the parent's client area).
    // owner, the COM object that shows the page, is held while the page handles a message, so
    // that a host letting go of the control inside an event does not pull it away mid-handler.
    // focused is called whenever a control of the page takes the keyboard focus. Throws
    // std::system_error when the windows cannot be made.
    Win32Page(control::CalendarPage& page, HWND parent, const RECT& position, IUnknown* owner,
              std::function<void()> focused);
    ~Win32Page();
    Win32Page(const Win32Page&) = delete;
    Win32Page& operator=(const Win32Page&) = delete;

    HWND window() const { return window_; }
    // Moves the page to position, showing only the part inside clip.
    void move(const RECT& position, const RECT& clip);

    // Shows what a model now holds.
    void show(const control::PageControl& model);
    // Gives the keyboard focus to the control the page's focus tracker names.
    void showFocus();
    // Gives the focus to the control that had it last, else to the first in focus order.
    void takeFocus();

    // Handles the page's keys in a message of the container's loop; true when the message was
    // used up and must not be dispatched.
    bool translateKey(const MSG& message);

    // The hourglass pointer while busy, the arrow after.
    void setBusy(bool busy);

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    HWND createControl(control::PageControl& model, const PageScale& scale);
    void destroy();
    void command(HWND control, WORD code);
    void notify(const NMHDR& header);
    void typed(control::TextBox& box, HWND edit);
    void tookFocus(HWND control);
    void moveFocus(bool forward);
    control::PageControl* modelOf(HWND control) const;
    HWND windowOf(const control::PageControl& model) const;

    control::CalendarPage& page_;
    IUnknown* owner_;
    std::function<void()> focused_;
    HWND window_ = nullptr;
    std::unique_ptr<PageFonts> fonts_;
    std::unordered_map<const control::PageControl*, HWND> windows_;
    std::unordered_map<HWND, control::PageControl*> models_;
    // Set while the page shows a model's state or is being built: the windows' own
    // notifications are then not handed back to the models.
    bool showing_ = true;
    // Set while a person's edit is handed to a text box model: its first notification is the
    // echo of that edit and must not move the insertion point.
    bool echoPending_ = false;
    bool busy_ = false;
    // False once the page is gone: a handler that ran a model's event checks it before it
    // touches the page again.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace annalex::platform
