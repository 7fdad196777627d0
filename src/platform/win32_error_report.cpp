#include "platform/win32_error_report.hpp"

#include "platform/gdi_screen_capture.hpp"
#include "platform/win32_background_work.hpp"
#include "platform/win32_message_box.hpp"
#include "platform/win32_report_form.hpp"
#include "report/build_info.hpp"
#include "report/handler_failures.hpp"
#include "report/product_settings.hpp"
#include "report/report_form_keeper.hpp"
#include "report/win32_files.hpp"
#include "report/win32_mapi_mail.hpp"
#include "report/win32_restart.hpp"
#include "report/zlib_archive.hpp"

namespace annalex::platform {
namespace {

// Message boxes over the form's window (over nothing while it has none).
class FormMessages final : public MessageService {
  public:
    void setOwner(const Win32ReportForm* form) { form_ = form; }
    void show(const MessageBoxRequest& request) override {
        showMessageBox(form_ != nullptr ? form_->window() : nullptr, request);
    }

  private:
    const Win32ReportForm* form_ = nullptr;
};

// The hourglass while the form takes and saves the picture.
class FormPointer final : public PointerService {
  public:
    void setPointer(MousePointer pointer) override {
        SetCursor(LoadCursor(nullptr, pointer == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
    }
};

class Report {
  public:
    Report()
        : keeper_({settings_, files_, archives_, restart_, screen_, messages_, pointer_, clock_,
                   build_, mail_, background_},
                  [this](report::frmErrorHand& form) { return makeView(form); }) {}

    void report(const errors::FailureReport& failure, HWND container, bool modelessAllowed) {
        modelessAllowed_ = modelessAllowed;
        if (form_ != nullptr && keeper_.form() != nullptr) {
            form_->setModelessAllowed(modelessAllowed);
        }
        std::function<void()> closeContainer;
        if (container != nullptr) {
            closeContainer = [container] {
                if (IsWindow(container)) {
                    SendMessageW(container, WM_CLOSE, 0, 0);
                }
            };
        }
        if (const auto failed =
                report::runTimeErrorOf([&] { keeper_.report(failure, closeContainer); })) {
            messages_.show(*failed);
        }
    }

    HWND formWindow() const {
        return keeper_.form() != nullptr && form_ != nullptr ? form_->window() : nullptr;
    }

    bool open() const { return keeper_.form() != nullptr; }

  private:
    std::unique_ptr<report::ReportFormView> makeView(report::frmErrorHand& form) {
        auto view = std::make_unique<Win32ReportForm>(form, messages_);
        view->setModelessAllowed(modelessAllowed_);
        form_ = view.get();
        messages_.setOwner(form_);
        background_.setContext(view->lifeToken());
        return view;
    }

    report::ProductSettings settings_;
    report::Win32Files files_;
    report::ZlibArchives archives_{files_};
    report::Win32Restart restart_;
    GdiScreenCapture screen_;
    FormMessages messages_;
    FormPointer pointer_;
    report::SystemClock clock_;
    report::ThisBuild build_;
    report::MapiMail mail_{settings_};
    Win32BackgroundWork background_;
    report::ReportFormKeeper keeper_;
    // The view of the last form made (owned by the keeper).
    Win32ReportForm* form_ = nullptr;
    bool modelessAllowed_ = true;
};

Report* made = nullptr;

Report& theReport() {
    if (made == nullptr) {
        HMODULE pinned = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&theReport), &pinned);
        made = new Report();  // kept for the process, like the DLL
    }
    return *made;
}

}  // namespace

void reportUnexpectedFailure(const errors::FailureReport& failure, HWND container,
                             bool modelessAllowed) {
    theReport().report(failure, container, modelessAllowed);
}

bool reportFormOpen() {
    return made != nullptr && made->open();
}

HWND reportFormWindow() {
    return made != nullptr ? made->formWindow() : nullptr;
}

}  // namespace annalex::platform
