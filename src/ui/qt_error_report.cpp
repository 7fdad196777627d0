#include "ui/qt_error_report.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <stdexcept>

namespace annalex::ui {
namespace {

QtErrorReport* theReport = nullptr;

void destroyReport() {
    delete theReport;
    theReport = nullptr;
}

bool anyOtherWindowVisible(const QWidget* except) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != except && window->isVisible()) {
            return true;
        }
    }
    return false;
}

// Shows the dialog. Modeless is refused while a modal window is open (the form would sit
// behind it, out of reach); the form is then shown modal.
class DialogView final : public report::ReportFormView {
  public:
    DialogView(report::frmErrorHand& form, MessageService& messages)
        : dialog_(new ReportDialog(form, messages)),
          quitOnLastWindowClosed_(QGuiApplication::quitOnLastWindowClosed()) {
        QGuiApplication::setQuitOnLastWindowClosed(false);
        dialog_->setUnloadHook([this] { release(); });
    }
    ~DialogView() override {
        // Gone with the application or replaced by a new form: the rule is put back, not applied.
        release(/*applyNow=*/false);
        delete dialog_.data();
    }

    ReportDialog* dialog() const { return dialog_; }

    void showModeless() override {
        if (QApplication::activeModalWidget() != nullptr) {
            throw std::runtime_error("a modal window is open");
        }
        dialog_->setModal(false);
        dialog_->show();
        dialog_->raise();
        dialog_->activateWindow();
    }
    void showModal() override { dialog_->exec(); }
    bool visible() const override { return dialog_ && dialog_->isVisible(); }

  private:
    // Gives the application back its own quitting rule and, when the form was unloaded, applies
    // it now.
    void release(bool applyNow = true) {
        if (released_) {
            return;
        }
        released_ = true;
        QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed_);
        if (applyNow && quitOnLastWindowClosed_ && !anyOtherWindowVisible(dialog_)) {
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

    QPointer<ReportDialog> dialog_;
    bool quitOnLastWindowClosed_;
    bool released_ = false;
};

}  // namespace

QtErrorReport& QtErrorReport::instance() {
    if (theReport == nullptr) {
        theReport = new QtErrorReport();
        qAddPostRoutine(destroyReport);
    }
    return *theReport;
}

QtErrorReport::QtErrorReport()
    : keeper_({settings_, files_, archives_, restart_, screen_, messages_, pointer_, clock_, build_,
               mail_, background_},
              [this](report::frmErrorHand& form) { return makeView(form); }) {}

std::unique_ptr<report::ReportFormView> QtErrorReport::makeView(report::frmErrorHand& form) {
    auto view = std::make_unique<DialogView>(form, messages_);
    dialog_ = view->dialog();
    messages_.setOwner(dialog_);
    background_.setContext(dialog_);
    return view;
}

void QtErrorReport::quitWhenNoWindowIsLeft() {
    if (!anyOtherWindowVisible(nullptr)) {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
}

void QtErrorReport::report(const errors::FailureReport& failure, QWidget* container) {
    QPointer<QWidget> window = container != nullptr ? container->window() : nullptr;
    keeper_.report(failure, window ? std::function<void()>([window] {
                       if (window) {
                           window->close();
                       }
                   })
                                   : std::function<void()>());
}

}  // namespace annalex::ui
