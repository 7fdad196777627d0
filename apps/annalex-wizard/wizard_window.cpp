#include "wizard_window.hpp"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "common/failure.hpp"
#include "page_choices.hpp"
#include "remembered_choices.hpp"
#include "ui/busy_scope.hpp"

namespace annalex::wizard {
namespace {

const QString kTitle = QStringLiteral("Annalex Calendar Wizard");

QString fileName(const QString& path) {
    return path.isEmpty() ? QStringLiteral("the cube") : QFileInfo(path).fileName();
}

// A press that would make the button click: the left mouse button, or a key that presses it.
bool pressesButton(const QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        return static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        return !key->isAutoRepeat() &&
               (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return ||
                key->key() == Qt::Key_Enter);
    }
    return false;
}

}  // namespace

WizardWindow::WizardWindow(OpenedStore store, StoreDialogs& dialogs, QWidget* parent)
    : QWidget(parent), store_(std::move(store)), dialogs_(dialogs) {
    dimension_ = store_.cube->ensureDimension(kTimeDimensionName);

    stack_ = new QStackedWidget(this);

    // The page with the calendar rules beside it.
    pagePane_ = new QWidget(stack_);
    page_ = new ui::AnnalexCtrl(pagePane_);
    page_->setObjectName(QStringLiteral("calendarPage"));
    page_->setTheCube(store_.cube);
    page_->setTheTimeDimension(dimension_);
    connect(page_, &ui::AnnalexCtrl::wizardResult, this, &WizardWindow::onWizardResult);
    rules_ = new ui::CalendarRulesPanel(*page_, pagePane_);
    auto* pageLayout = new QHBoxLayout(pagePane_);
    pageLayout->addWidget(page_, 0, Qt::AlignTop);
    pageLayout->addWidget(rules_, 0, Qt::AlignTop);
    stack_->addWidget(pagePane_);
    okButton_ = page_->controlWidget(QStringLiteral("btOk"));
    if (okButton_ != nullptr) {
        okButton_->installEventFilter(this);
    }

    // The result. The view is the one widget of this pane that knows the dimension: another
    // view only needs showDimension, a way back to the page (showPage) and a way to close.
    resultPane_ = new QWidget(stack_);
    treeHeading_ = new QLabel(resultPane_);
    result_ = new ui::ResultView(resultPane_);
    connect(result_, &ui::ResultView::generateAgainRequested, this, &WizardWindow::showPage);
    connect(result_, &ui::ResultView::closeRequested, this, &QWidget::close);
    auto* resultLayout = new QVBoxLayout(resultPane_);
    resultLayout->addWidget(treeHeading_);
    resultLayout->addWidget(result_, 1);
    stack_->addWidget(resultPane_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stack_);
    updateTitle();
    if (holdsCalendar()) {
        showResult();
    } else {
        stack_->setCurrentWidget(pagePane_);
    }
}

bool WizardWindow::showingTree() const {
    return stack_->currentWidget() == resultPane_;
}

void WizardWindow::showPage() {
    // The view reads the dimension as it paints: let it go before Ok changes the dimension.
    result_->showDimension(nullptr);
    stack_->setCurrentWidget(pagePane_);
    if (okButton_ != nullptr) {
        okButton_->setFocus();
    }
}

void WizardWindow::showResult() {
    treeHeading_->setText(QStringLiteral("Dimension \"%1\" of %2%3")
                              .arg(QString::fromStdString(dimension_->name()),
                                   fileName(store_.path),
                                   saved_ ? QString() : QStringLiteral(" (not saved)")));
    result_->showDimension(dimension_);
    stack_->setCurrentWidget(resultPane_);
    result_->tree().setFocus();  // keys browse the result at once
    resize(qMax(width(), 640), qMax(height(), 480));
}

bool WizardWindow::holdsCalendar() const {
    for (const auto& hierarchy : dimension_->hierarchies()) {
        if (hierarchy->memberCount() > 0) {
            return true;
        }
    }
    return false;
}

void WizardWindow::updateTitle() {
    setWindowTitle(store_.path.isEmpty()
                       ? kTitle
                       : QStringLiteral("%1 - %2").arg(QFileInfo(store_.path).fileName(), kTitle));
}

bool WizardWindow::eventFilter(QObject* watched, QEvent* event) {
    // Ok over a calendar the dimension already holds: ask first. The press is kept from the
    // button either way; a yes clicks it once the question is gone.
    if (watched == okButton_ && pressesButton(event) && holdsCalendar()) {
        if (dialogs_.ask(
                QStringLiteral("The dimension \"%1\" of %2 already holds a calendar. "
                               "Replace it with a new one?")
                    .arg(QString::fromStdString(dimension_->name()), fileName(store_.path)))) {
            QMetaObject::invokeMethod(okButton_, "click", Qt::QueuedConnection);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void WizardWindow::onWizardResult(bool result) {
    if (!result) {
        close();
        return;
    }
    if (!isVisible()) {
        // A failure on the way closed the window and its report shows: the calendar was cut
        // short, so it neither replaces what the store holds nor is shown.
        return;
    }
    if (!rememberChoices(currentChoices(*page_, *rules_))) {
        qWarning("annalex-wizard: the choices could not be remembered in the settings store");
    }
    saveWithRetries();
    {
        ui::BusyScope busy;
        showResult();
    }
    emit resultShown();
}

QString WizardWindow::saveWhileBusy() {
    ui::BusyScope busy;
    QString error;
    ui::runWithProgress(this,
                        QStringLiteral("Saving the calendar to %1...").arg(fileName(store_.path)),
                        [this, &error] { error = saveCubeForWizard(store_); });
    return error;
}

void WizardWindow::saveWithRetries() {
    for (QString error = saveWhileBusy(); !error.isEmpty();) {
        saved_ = false;
        if (!dialogs_.ask(QStringLiteral("The calendar could not be saved: %1\n\n"
                                         "Save it to another cube store?")
                              .arg(error))) {
            return;
        }
        const QString path = askForUsableLocation(store_.path, dialogs_);
        if (path.isEmpty()) {
            return;
        }
        try {
            store_.store.emplace(cube::CubeStore::open(path.toStdString()));
            store_.path = path;
            updateTitle();
            error = saveWhileBusy();
        } catch (const Failure& failure) {
            error = QString::fromStdString(failure.description());
        }
    }
    saved_ = true;
}

}  // namespace annalex::wizard
