#pragma once
// The desktop's one error report: the report form keeper with the Qt faces (the report dialog,
// the screen capture, message boxes, the pointer, work off the window's thread) and the system
// services (the settings store, POSIX files, zip archives, the restart, the clock, this build,
// mail over SMTP). The mail server is asked once the form shows; until it answers, and without a
// configured or reachable server, the mail options are disabled and the form says why.
//
// Created on first use and destroyed with the QApplication. While a report form is open the
// application does not quit because its last window closed (the window that held the failing
// control is closed before the form shows); when the form is unloaded and no other window is
// left, the application quits, so that the restart program can start it again. No process is
// left without a window: when the report itself fails (a run-time error box says so), the
// application quits once the box is closed, unless another of its windows is on screen.

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
#include "ui/qt_background_work.hpp"
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

    // Ends the application (once its event loop runs) unless one of its windows is on screen:
    // after a failure of the report itself, nothing is left for the person to close.
    static void quitWhenNoWindowIsLeft();

  private:
    QtErrorReport();
    std::unique_ptr<report::ReportFormView> makeView(report::frmErrorHand& form);

    report::ProductSettings settings_;
    report::PosixFiles files_;
    report::ZipArchives archives_;
    report::SpawnedRestart restart_;
    QtScreenCapture screen_;
    QtMessageService messages_;
    QtPointerService pointer_;
    report::SystemClock clock_;
    report::ThisBuild build_;
    report::SmtpMail mail_;
    // After the mail service: going first, it waits for a sign-on still running.
    QtBackgroundWork background_;
    report::ReportFormKeeper keeper_;
    QPointer<ReportDialog> dialog_;
};

}  // namespace annalex::ui
