#pragma once
// Work away from the window's thread for the report form (asking the mail client whether it
// signs on): each piece runs on a thread of its own; its result comes back to the thread that
// made this object through a message-only window of it, and is dropped when the context it was
// for (the form's window) has gone meanwhile. The code runs in annalex.dll, which stays loaded
// once a report was made (win32_error_report.hpp), so no thread outlives the code it runs.

#include <windows.h>

#include <memory>

#include "report/report_services.hpp"

namespace annalex::platform {

class Win32BackgroundWork final : public report::BackgroundWork {
  public:
    Win32BackgroundWork();
    ~Win32BackgroundWork() override;
    Win32BackgroundWork(const Win32BackgroundWork&) = delete;
    Win32BackgroundWork& operator=(const Win32BackgroundWork&) = delete;

    // What the results are for from now on: a result whose context has gone is dropped.
    void setContext(std::weak_ptr<const void> context) { context_ = std::move(context); }

    void run(std::function<std::string()> work,
             std::function<void(const std::string&)> done) override;

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::weak_ptr<const void> context_;
};

}  // namespace annalex::platform
