#pragma once
// frmErrorHand: the error report form as a model, without a toolkit.
//
// The procedure trap fills the six public failure fields and shows the form; a front end binds
// its window to the controls below. The screen picture is taken while the failure is still on
// screen, before the window that held the failing control closes (the keeper calls
// takeScreenPicture first). Loading the form (Form_Load) makes the application directory's
// "Error Logs" folder, saves the picture there (without it the report goes on, the picture's
// place saying why) and has the mail server asked, away from the window, whether mail can go
// out; until it answers, and whenever it cannot, the mail options are disabled and
// lblMailStatus says why. The close button (butClose_Click) appends an entry to the error log,
// packs the log with the optional attachments into a zip archive for the person to send (unless
// the report was mailed), starts the restart program and unloads the form. Closing the window
// any other way (Form_QueryUnload) does what the close button does.
//
// When "Installed" or "ApplicationDir" is missing or empty, the user's data folder stands in.
//
// The form's own handlers have no trap: a failure in them (for example an error log that cannot
// be written) leaves the handler as a Failure for the front end, which tells the person and ends.

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
    RestartStarter& restart;
    ScreenCapture& screen;
    MessageService& messages;
    PointerService& pointer;
    Clock& clock;
    const BuildInfo& build;
    MailService& mail;
    BackgroundWork& background;
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
    // What lblMailStatus says while the mail server is asked, and before the reason when mail
    // is unavailable or a report was not sent.
    static constexpr const char* kMailChecking = "Checking the mail server\u2026";
    static constexpr const char* kMailUnavailable = "E-mail is not available: ";
    static constexpr const char* kMailNotSent = "The report was not sent: ";
    // What Image1 says, before the reason, when the screen picture could not be kept.
    static constexpr const char* kNoPicture = "No screen picture: ";

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
    // Beside the mail options: why they are disabled, or what became of the last mailing.
    FormLabel lblMailStatus;
    FormButton butEMail;
    FormButton butClose;
    FormLabel Label2;
    FormImage Image1;
    FormImage Image2;
    FormImage Image3;

    // ---- handlers ----
    // Takes the picture of the screen as it looks now into Image1.
    void takeScreenPicture();
    void Form_Load();
    void butClose_Click();
    // Mails the report to support instead of leaving an archive to send by hand; the form stays
    // open for the close button.
    void butEMail_Click();
    // The window is being closed other than by the close button (Escape, its close box): the
    // close button's work is done, description check included. True when the form was unloaded;
    // false when it stays (the description is missing).
    bool Form_QueryUnload();
    // Enables or disables the mail option group: chkEmailStore, lblInfo, chkAttachScreen,
    // Image3, butEMail, in that order.
    void enableMailOptions(bool enabled);
    // A new empty temporary file, returned as the original platform's 256-character buffer:
    // the full path, a NUL character, then spaces. The file is "vmt" + a hexadecimal number +
    // ".tmp" in the temporary directory. Raises PathFileAccessError when the path does not fit.
    std::string getATempFileName();

    // The entry the close button appends for the failure and the description typed.
    std::string logEntryText();

  private:
    // True when a description was typed; otherwise says so and puts the focus in the box.
    bool descriptionGiven();
    // A directory setting ("Installed", "ApplicationDir") with its "\", the user's data folder
    // when the setting is missing or empty.
    std::string directorySetting(const std::string& name);
    // Saves Image1 into the "Error Logs" folder of the application directory; when it cannot, the
    // report goes on without the picture.
    void saveScreenPicture();
    // Asks the mail server, away from the window, whether mail can go out.
    void checkMail();
    void mailChecked(const std::string& reason);
    void mailFailed(const std::string& reason);
    // The archive's path: a fresh temporary name, its empty file deleted, the extension (and the
    // NUL the buffer counts) replaced by "zip".
    std::string newArchivePath();
    // When and by what build the report is written, for the log entry and the mail.
    LogStamp logStamp();
    // A registry-style path as the file to use on this system.
    std::string hostPath(const std::string& path);

    ReportFormServices services_;
    FormWindow* window_ = nullptr;
    std::string applicationDir_;
    bool reportMailed_ = false;
    bool loaded_ = false;
    bool unloaded_ = false;
};

}  // namespace annalex::report
