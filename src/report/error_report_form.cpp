#include "report/error_report_form.hpp"

#include "common/failure.hpp"
#include "report/product_settings.hpp"
#include "report/report_text.hpp"

namespace annalex::report {
namespace {

constexpr std::size_t kTempBufferSize = 256;

std::string trimSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string trimTrailingSpaces(const std::string& text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

MessageBoxRequest noDescriptionMessage() {
    return {frmErrorHand::kDefaultTitle, frmErrorHand::kNoDescription, MessageIcon::None,
            MessageModality::System, true};
}

MessageBoxRequest mailResultMessage(std::string title, std::string text) {
    return {std::move(title), std::move(text), MessageIcon::Information, MessageModality::System,
            true};
}

}  // namespace

frmErrorHand::frmErrorHand(ReportFormServices services)
    : Label1("Label1",
             "An unexpected application error has occurred. In order to correct the error, we "
             "need to restart Excel."),
      lblWhatDoing("lblWhatDoing",
                   "Please enter a description of what you where doing at the time of the "
                   "error."),
      edtWhatDoing("edtWhatDoing"),
      chkAttachScreen("chkAttachScreen", "Attach screen image", true),
      chkEmailStore("chkEmailStore", "Attach supporting files", true),
      lblInfo("lblInfo",
              "Attaching supporting files will enable us to more easily reproduce and correct "
              "this error. These files do not contain any of the data you have stored in your "
              "cubes."),
      lblMailStatus("lblMailStatus", ""),
      butEMail("butEMail", "E-Mail Error Report to Velmora"),
      butClose("butClose", "Close Excel"),
      Label2("Label2",
             "You will be given the opportunity to save any open workbooks before the restart."),
      Image1("Image1"),
      Image2("Image2"),
      Image3("Image3"),
      services_(services) {
    butClose.onClick([this] { butClose_Click(); });
    butEMail.onClick([this] { butEMail_Click(); });
}

void frmErrorHand::setFailure(const errors::FailureReport& report) {
    errModName = report.errModName;
    errProcName = report.errProcName;
    VmErrDescription = report.VmErrDescription;
    VmErrNumber = report.VmErrNumber;
    VmErrSource = report.VmErrSource;
    VmErrLastDllError = report.VmErrLastDllError;
}

errors::FailureReport frmErrorHand::failure() const {
    return {errModName, errProcName, VmErrDescription, VmErrNumber, VmErrSource, VmErrLastDllError};
}

std::string frmErrorHand::hostPath(const std::string& path) {
    return services_.files.hostPath(path);
}

std::string frmErrorHand::directorySetting(const std::string& name) {
    std::string value = services_.settings.readString(name);
    if (value.empty()) {
        value = services_.files.userDataFolder();
    }
    return directoryValue(std::move(value));
}

void frmErrorHand::takeScreenPicture() {
    Image1.setPicture(services_.screen.captureScreen());
}

void frmErrorHand::Form_Load() {
    services_.pointer.setPointer(MousePointer::Hourglass);
    try {
        if (Image1.picture().empty()) {
            takeScreenPicture();  // shown without the keeper, which takes it earlier
        }
        applicationDir_ = directorySetting("ApplicationDir");
        services_.files.createDirectory(hostPath(applicationDir_ + "Error Logs"));
        saveScreenPicture();
    } catch (...) {
        // The failure is not the form's to handle, but the pointer must not stay busy.
        services_.pointer.setPointer(MousePointer::Default);
        throw;
    }
    // There is no window-update lock to release here: nothing of the product takes one.
    services_.pointer.setPointer(MousePointer::Default);
    butEMail.setDefault(true);
    loaded_ = true;
    reportMailed_ = false;
    checkMail();
}

void frmErrorHand::saveScreenPicture() {
    try {
        services_.files.writePrivateFile(hostPath(applicationDir_ + "Error Logs\\screenShot.bmp"),
                                         bitmapFileBytes(Image1.picture()));
    } catch (const Failure& failure) {
        // The report matters more than its picture: it goes on without one.
        chkAttachScreen.setChecked(false);
        Image1.setNote(kNoPicture + failure.description());
    }
}

void frmErrorHand::checkMail() {
    enableMailOptions(false);
    lblMailStatus.setCaption(kMailChecking);
    services_.background.run([&mail = services_.mail] { return mail.probe(kMailSignOnTimeout); },
                             [this](const std::string& reason) { mailChecked(reason); });
}

void frmErrorHand::mailChecked(const std::string& reason) {
    if (unloaded_ || reportMailed_) {
        return;
    }
    enableMailOptions(reason.empty());
    lblMailStatus.setCaption(reason.empty() ? std::string() : kMailUnavailable + reason);
}

void frmErrorHand::enableMailOptions(bool enabled) {
    chkEmailStore.setEnabled(enabled);
    lblInfo.setEnabled(enabled);
    chkAttachScreen.setEnabled(enabled);
    Image3.setEnabled(enabled);
    butEMail.setEnabled(enabled);
}

std::string frmErrorHand::getATempFileName() {
    FileService& files = services_.files;
    const std::string path = files.createTemporaryFile(files.temporaryDirectory(), "vmt");
    if (path.size() + 1 > kTempBufferSize) {
        files.removeFile(path);
        raise(ErrorNumber::PathFileAccessError,
              "The temporary file name '" + path + "' is longer than 255 characters",
              "Annalex.Report");
    }
    std::string buffer = path;
    buffer += '\0';
    buffer.resize(kTempBufferSize, ' ');
    return buffer;
}

std::string frmErrorHand::newArchivePath() {
    const std::string buffer = getATempFileName();
    services_.files.removeFile(buffer.substr(0, buffer.find('\0')));
    const std::string path = trimTrailingSpaces(buffer);
    return path.substr(0, path.size() - 4) + "zip";
}

LogStamp frmErrorHand::logStamp() {
    return {generalDateText(services_.clock.now()), services_.build.compiledText(),
            services_.build.versionText()};
}

std::string frmErrorHand::logEntryText() {
    return logEntry(logStamp(), failure(), edtWhatDoing.text());
}

bool frmErrorHand::descriptionGiven() {
    if (!trimSpaces(edtWhatDoing.text()).empty()) {
        return true;
    }
    services_.messages.show(noDescriptionMessage());
    edtWhatDoing.setFocus();
    return false;
}

void frmErrorHand::butClose_Click() {
    if (!descriptionGiven()) {
        return;
    }
    FileService& files = services_.files;
    const ReportPaths paths(directorySetting("Installed"), directorySetting("ApplicationDir"));

    // Missing below the user's data folder until a first report: made, failure ignored (an
    // installation that lacks it is told by the log's own failure).
    files.createDirectory(hostPath(paths.errorLogs));
    const std::string log = hostPath(paths.errorLog);
    // The entry ends with its own line break after the separator.
    files.appendLogEntry(log, logEntryText());

    if (!reportMailed_) {
        const std::string archivePath = newArchivePath();

        {
            const std::unique_ptr<Archive> archive = services_.archives.create(archivePath);
            if (chkEmailStore.checked()) {
                archive->addFile(hostPath(paths.supportingFile));
            }
            if (chkAttachScreen.checked()) {
                archive->addFile(hostPath(paths.attachedScreenShot));
            }
            archive->addFile(log);
            // The archive is written from the "System" folder (when there is one: the user's
            // data folder has none); the host's own working directory is put back afterwards,
            // so that the relative paths it holds (and that the restart program hands on) keep
            // their meaning.
            const std::string hostDirectory = files.currentDirectory();
            bool moved = true;
            try {
                files.changeDirectory(hostPath(paths.systemDir));
            } catch (const Failure&) {
                moved = false;
            }
            archive->write();
            if (moved) {
                files.changeDirectory(hostDirectory);
            }
        }

        const std::string archiveName = archivePath.substr(archivePath.find_last_of("/\\") + 1);
        const std::string kept = hostPath(paths.errorLogs + archiveName);
        files.moveFile(archivePath, kept);
        try {
            files.removeFile(hostPath(paths.attachedScreenShot));
        } catch (const Failure&) {
            // Already gone, or never saved: nothing to clean up.
        }
        services_.messages.show(
            mailResultMessage("Information", "Please email the file '" + kept + "' to " +
                                                 supportAddress(services_.settings) + ".\n" +
                                                 "It will help us to more easily correct the "
                                                 "problem that caused this error"));
    }

    // Whether the restart program started is not the form's concern.
    services_.restart.start(hostPath(paths.restartProgram), hostPath(paths.systemDir));
    if (window_ != nullptr) {
        window_->processPendingEvents();
    }
    unloadForm();
}

bool frmErrorHand::Form_QueryUnload() {
    if (!unloaded_) {
        butClose_Click();
    }
    return unloaded_;
}

void frmErrorHand::unloadForm() {
    unloaded_ = true;
    if (window_ != nullptr) {
        window_->unload();
    }
}

void frmErrorHand::mailFailed(const std::string& reason) {
    lblMailStatus.setCaption(kMailNotSent + reason);
    services_.messages.show(
        mailResultMessage("Error", "The error log failed to be sent due to a mail error"));
}

void frmErrorHand::butEMail_Click() {
    if (!descriptionGiven()) {
        return;
    }
    const std::string application = directorySetting("ApplicationDir");
    MailService& mail = services_.mail;
    try {
        mail.signOn(kMailSignOnTimeout);
    } catch (const MailFailure& failure) {
        mailFailed(failure.what());
        return;
    }
    mail.compose();

    FileService& files = services_.files;
    const std::string archivePath = newArchivePath();
    const std::string screenShot = hostPath(application + "Error Logs\\screenshot.bmp");
    {
        const std::unique_ptr<Archive> archive = services_.archives.create(archivePath);
        if (chkEmailStore.checked()) {
            archive->addFile(hostPath(application + "Velmora.vms"));
        }
        if (chkAttachScreen.checked()) {
            archive->addFile(screenShot);
        }
        archive->write();
    }

    const std::string recipient = supportAddress(services_.settings);
    const std::string crLf(kCrLf);
    std::string reason;
    try {
        mail.setRecipient(recipient);
        // The attachment goes at position 0, the leading space.
        mail.setBody(" " + crLf + "Description:" + crLf + withCrLf(edtWhatDoing.text()) + crLf +
                     crLf + logFieldLines(logStamp(), failure(), crLf));
        mail.setAttachment(archivePath, 0);
        mail.setSubject(kMailSubject);
        mail.send();
    } catch (const MailFailure& failure) {
        reason = failure.what();
    }
    mail.signOff();
    try {
        files.removeFile(archivePath);
    } catch (const Failure&) {
        // The archive was never written (no file could be added): nothing to remove.
    }
    if (!reason.empty()) {
        // The picture stays for another try, or for the close button's archive.
        mailFailed(reason);
        return;
    }
    try {
        files.removeFile(screenShot);
    } catch (const Failure&) {
        // Already gone, or never saved: it is in the archive or not wanted.
    }
    // Sent once: no second press can send it again.
    reportMailed_ = true;
    enableMailOptions(false);
    butEMail.setDefault(false);
    butClose.setDefault(true);
    lblMailStatus.setCaption("The report was sent to " + recipient + ".");
    services_.messages.show(
        mailResultMessage("Thank you", "The error log has been successfully sent"));
}

}  // namespace annalex::report
