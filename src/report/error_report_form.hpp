#pragma once
// frmErrorHand: the error report form as a model, without a toolkit.
//
// The procedure trap fills the six public failure fields and shows the form; a front end binds
// its window to the controls below. Loading the form (Form_Load) takes the screen picture, makes
// the application directory's "Error Logs" folder, saves the picture there and tests the mail
// session. The close button (butClose_Click) appends an entry to the error log, packs the log
// with the optional attachments into a zip archive for the person to send (unless the report was
// mailed), starts the restart program and unloads the form.
//
// The form's own handlers have no trap: a failure in them (for example a missing "Error Logs"
// folder below the installation directory) leaves the handler as a Failure for the front end.

#include <chrono>
#include <cstdint>
#include <string>

#include "common/message_service.hpp"
#include "common/pointer_service.hpp"
#include "errors/failure_report.hpp"
#include "report/build_info.hpp"
#include "report/form_controls.hpp"
#include "report/mail_service.hpp"
#include "report/report_paths.hpp"
#include "report/report_services.hpp"
#include "report/report_text.hpp"

namespace annalex::report {

struct ReportFormServices {
    SettingsReader& settings;
    FileService& files;
    ArchiveFactory& archives;
    ProcessStarter& processes;
    ScreenCapture& screen;
    MessageService& messages;
    PointerService& pointer;
    Clock& clock;
    const BuildInfo& build;
    MailService& mail;
};

// How long signing on to the mail system may take before it counts as failed.
inline constexpr std::chrono::milliseconds kMailSignOnTimeout{5000};

class frmErrorHand {
  public:
    static constexpr const char* kCaption = "Unexpected Error";
    static constexpr const char* kNoDescription =
        "Please enter a brief description of what you were doing prior to this fatal error";
    // The title of a message box that names none.
    static constexpr const char* kDefaultTitle = "Annalex";

    explicit frmErrorHand(ReportFormServices services);
    frmErrorHand(const frmErrorHand&) = delete;
    frmErrorHand& operator=(const frmErrorHand&) = delete;

    // ---- the failure, set by the trap ----
    std::string errModName;
    std::string errProcName;
    std::string VmErrDescription;
    std::int32_t VmErrNumber = 0;
    std::string VmErrSource;
    std::int32_t VmErrLastDllError = 0;

    // Sets the six fields in their order.
    void setFailure(const errors::FailureReport& report);
    errors::FailureReport failure() const;

    // ---- form state ----
    // The application directory read at load time, ending in "\".
    const std::string& applicationDir() const { return applicationDir_; }
    // True once the report was mailed; the close button then makes no archive.
    bool reportMailed() const { return reportMailed_; }
    void setReportMailed(bool mailed) { reportMailed_ = mailed; }
    // True once Form_Load has completed.
    bool loaded() const { return loaded_; }
    bool unloaded() const { return unloaded_; }
    // Unloads the form: marks it unloaded and closes its window.
    void unloadForm();
    // The window that shows the form; without one, unloading only marks the form unloaded.
    void attachWindow(FormWindow* window) { window_ = window; }

    // ---- controls ----
    FormLabel Label1;
    FormLabel lblWhatDoing;
    FormTextBox edtWhatDoing;
    FormCheckBox chkAttachScreen;
    FormCheckBox chkEmailStore;
    FormLabel lblInfo;
    FormButton butEMail;
    FormButton butClose;
    FormLabel Label2;
    FormImage Image1;
    FormImage Image2;
    FormImage Image3;

    // ---- handlers ----
    void Form_Load();
    void butClose_Click();
    // Mails the report to support instead of leaving an archive to send by hand; the form stays
    // open for the close button.
    void butEMail_Click();
    // Enables or disables the mail option group: chkEmailStore, lblInfo, chkAttachScreen,
    // Image3, butEMail, in that order.
    void enableMailOptions(bool enabled);
    // A new empty temporary file, returned as the original platform's 256-character buffer:
    // the full path, a NUL character, then spaces. The file is "vmt" + a hexadecimal number +
    // ".tmp" in $TMPDIR, else /tmp. Raises PathFileAccessError when the path does not fit.
    std::string getATempFileName();

    // The entry the close button appends for the failure and the description typed.
    std::string logEntryText();

  private:
    // The archive's path: a fresh temporary name, its empty file deleted, the extension (and the
    // NUL the buffer counts) replaced by "zip".
    std::string newArchivePath();
    // When and by what build the report is written, for the log entry and the mail.
    LogStamp logStamp();
    // A registry-style path as the file to use on this system.
    static std::string hostPath(const std::string& path);

    ReportFormServices services_;
    FormWindow* window_ = nullptr;
    std::string applicationDir_;
    bool reportMailed_ = false;
    bool loaded_ = false;
    bool unloaded_ = false;
};

}  // namespace annalex::report
