#pragma once
// The desktop's one error report: the report form keeper with the Qt faces (the report dialog,
// the screen capture, message boxes, the pointer) and the system services (the settings store,
// POSIX files, zip archives, process start, the clock, this build, mail over SMTP). Without a
// configured mail server the form disables its mail options when it loads.
//
// Created on first use and destroyed with the QApplication. While a report form is open the
// application does not quit because its last window closed (the window that held the failing
// control is closed before the form shows); when the form is unloaded and no other window is
// left, the application quits, so that the restart program can start it again.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "report/build_info.hpp"
#include "report/posix_files.hpp"
#include "report/product_settings.hpp"
#include "report/report_form_keeper.hpp"
#include "report/smtp_mail.hpp"
#include "report/spawn_process.hpp"
#include "report/zip_archive.hpp"
#include "ui/qt_message_service.hpp"
#include "ui/qt_pointer_service.hpp"
#include "ui/qt_screen_capture.hpp"
#include "ui/report_dialog.hpp"

namespace annalex::ui {

class QtErrorReport {
  public:
    static QtErrorReport& instance();

    // Reports a failure; container, when given, is the window to close first.
    void report(const errors::FailureReport& failure, QWidget* container);

    report::ReportFormKeeper& keeper() { return keeper_; }
    // The form's own message boxes ("Information", the missing description, run-time errors).
    QtMessageService& messages() { return messages_; }
    // The dialog of the open form; nullptr when no form is open.
    ReportDialog* dialog() const { return dialog_; }

  private:
    QtErrorReport();
    std::unique_ptr<report::ReportFormView> makeView(report::frmErrorHand& form);

    report::ProductSettings settings_;
    report::PosixFiles files_;
    report::ZipArchives archives_;
    report::SpawnedProcesses processes_;
    QtScreenCapture screen_;
    QtMessageService messages_;
    QtPointerService pointer_;
    report::SystemClock clock_;
    report::ThisBuild build_;
    report::SmtpMail mail_;
    report::ReportFormKeeper keeper_;
    QPointer<ReportDialog> dialog_;
};

}  // namespace annalex::ui
