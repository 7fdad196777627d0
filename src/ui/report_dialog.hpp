#pragma once
// frmErrorHand as a Qt dialog, bound both ways to the form model: the caption "Unexpected
// Error", the labels, the description box, both check boxes, both buttons (butEMail the default
// one once the form is loaded) and Image1 showing the screen picture scaled to fit. Every widget
// has its control's name as objectName.
//
// A press of a button runs the model's handler; a failure that escapes the handler is shown as a
// run-time error box and the dialog stays. Closing the window unloads the form.

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

    // "Run-time error 'N':" and the description, as a failure escaping a handler is shown.
    static MessageBoxRequest runTimeErrorMessage(std::int32_t number,
                                                 const std::string& description);

    // Every way the window goes (the close button of the form, the window's own close, Escape)
    // ends here: the form is unloaded.
    void done(int result) override;

  private:
    void build();
    void bindCheckBox(report::FormCheckBox& model, QCheckBox* box);
    void bindButton(report::FormButton& model, QPushButton* button);
    void bindLabel(report::FormLabel& model, QLabel* label);
    void runHandler(const report::FormButton& button);

    report::frmErrorHand& form_;
    MessageService& messages_;
    std::function<void()> unloadHook_;
    QPlainTextEdit* description_ = nullptr;
    bool unloading_ = false;
    bool closed_ = false;
};

}  // namespace annalex::ui
