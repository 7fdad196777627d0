#pragma once
// frmErrorHand as a Qt dialog, bound both ways to the form model: the caption "Unexpected
// Error", the labels, the description box, both check boxes, the mail status beside them, both
// buttons (butEMail the default one once the form is loaded) and Image1 showing the screen
// picture scaled to fit (or why there is none). Every widget has its control's name as
// objectName. The picture's place is small enough, and the dialog sized to the screen, that the
// whole form fits a screen of 800 x 600.
//
// A press of a button runs the model's handler. Escape and the window's close box run the
// form's Form_QueryUnload: the close button's work, or, without a description, its message and
// the focus in the description box. A failure that escapes a handler is shown as a run-time
// error box and then ends the report (the form is unloaded, and the application with it when no
// other window is left): no failure leaves the dialog half done on screen.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <unordered_map>

#include "common/message_service.hpp"
#include "report/error_report_form.hpp"
#include "report/report_services.hpp"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace annalex::ui {

class ReportDialog final : public QDialog, public report::FormWindow {
    Q_OBJECT

  public:
    // Failures that escape a button's handler are shown through messages.
    ReportDialog(report::frmErrorHand& form, MessageService& messages, QWidget* parent = nullptr);
    ~ReportDialog() override;

    report::frmErrorHand& form() { return form_; }
    // Called after the form was unloaded and the window closed.
    void setUnloadHook(std::function<void()> hook) { unloadHook_ = std::move(hook); }

    // FormWindow
    void processPendingEvents() override;
    void unload() override;

    // Escape and the close box: the form decides (Form_QueryUnload); the window goes only when
    // the form was unloaded.
    void reject() override;
    // Every way the window goes ends here: the form is unloaded.
    void done(int result) override;

  private:
    void build();
    // The size the form opens at: what its layout asks for, within the screen.
    void fitToScreen();
    void bindCheckBox(report::FormCheckBox& model, QCheckBox* box);
    void bindButton(report::FormButton& model, QPushButton* button);
    void bindLabel(report::FormLabel& model, QLabel* label);

    report::frmErrorHand& form_;
    MessageService& messages_;
    std::function<void()> unloadHook_;
    QPlainTextEdit* description_ = nullptr;
    bool unloading_ = false;
    bool closed_ = false;
};

}  // namespace annalex::ui
