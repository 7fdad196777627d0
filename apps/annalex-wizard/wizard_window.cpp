#include "wizard_window.hpp"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "common/failure.hpp"
#include "page_choices.hpp"
#include "remembered_choices.hpp"
#include "ui/busy_scope.hpp"

namespace annalex::wizard {
namespace {

const QString kTitle = QStringLiteral("Annalex Calendar Wizard");

// Room the window manager takes around a window for its frame and title bar.
constexpr int kFrameAllowanceWidth = 16;
constexpr int kFrameAllowanceHeight = 48;
// The count of members made is written at most this often.
constexpr int kStatusIntervalMs = 100;

QString fileName(const QString& path) {
    return path.isEmpty() ? QStringLiteral("the cube") : QFileInfo(path).fileName();
}

}  // namespace

WizardWindow::WizardWindow(OpenedStore store, StoreDialogs& dialogs, QWidget* parent)
    : QWidget(parent), store_(std::move(store)), dialogs_(dialogs) {
    dimension_ = store_.cube->ensureDimension(kTimeDimensionName);

    stack_ = new QStackedWidget(this);
    stack_->addWidget(buildPagePane());
    page_->core().setGenerationApproval([this] { return approveGeneration(); });
    connect(page_, &ui::AnnalexCtrl::wizardResult, this, &WizardWindow::onWizardResult);
    if (auto* ok = qobject_cast<QAbstractButton*>(page_->controlWidget(QStringLiteral("btOk")))) {
        // Connected after the page's own handler, so this runs once Ok has returned: a
        // generation that ended without a result (a failure of Ok itself) leaves nothing busy.
        connect(ok, &QAbstractButton::clicked, this, [this] {
            generating_ = false;
            generationBusy_.reset();
        });
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
        stack_->setCurrentWidget(pageScroll_);
        fitScreen(pagePane_->sizeHint());
    }
}

QWidget* WizardWindow::buildPagePane() {
    pagePane_ = new QWidget;
    page_ = new ui::AnnalexCtrl(pagePane_);
    page_->setObjectName(QStringLiteral("calendarPage"));
    page_->setTheCube(store_.cube);
    // The page generates through a see-through wrapper that lets the window repaint meanwhile.
    pulsing_ = std::make_shared<PulsingDimension>(
        dimension_, [this](std::uint64_t created) { onMembersCreated(created); },
        kMembersPerRepaint);
    page_->setTheTimeDimension(pulsing_);
    rules_ = new ui::CalendarRulesPanel(*page_, pagePane_);
    generationStatus_ = new QLabel(pagePane_);
    generationStatus_->setObjectName(QStringLiteral("generationStatus"));

    auto* pageAndRules = new QBoxLayout(QBoxLayout::LeftToRight);
    pageAndRules->addWidget(page_, 0, Qt::AlignTop);
    pageAndRules->addWidget(rules_, 0, Qt::AlignTop);
    pageAndRules->addStretch(1);
    auto* layout = new QVBoxLayout(pagePane_);
    layout->addLayout(pageAndRules);
    layout->addWidget(generationStatus_);
    layout->addStretch(1);
    // The panel goes below the page on a screen too narrow for both side by side; whatever
    // is still too large for the screen scrolls.
    const int freeWidth = screen()->availableGeometry().width() - kFrameAllowanceWidth;
    if (pagePane_->sizeHint().width() > freeWidth) {
        pageAndRules->setDirection(QBoxLayout::TopToBottom);
    }
    pageScroll_ = new QScrollArea(stack_);
    pageScroll_->setObjectName(QStringLiteral("pageScroll"));
    pageScroll_->setFrameShape(QFrame::NoFrame);
    pageScroll_->setWidgetResizable(true);
    pageScroll_->setWidget(pagePane_);
    return pageScroll_;
}

bool WizardWindow::showingTree() const {
    return stack_->currentWidget() == resultPane_;
}

void WizardWindow::showPage() {
    // The view reads the dimension as it paints: let it go before Ok changes the dimension.
    result_->showDimension(nullptr);
    stack_->setCurrentWidget(pageScroll_);
    if (QWidget* ok = page_->controlWidget(QStringLiteral("btOk"))) {
        ok->setFocus();
    }
}

void WizardWindow::showResult() {
    treeHeading_->setText(QStringLiteral("Dimension \"%1\" of %2%3")
                              .arg(QString::fromStdString(dimension_->name()),
                                   fileName(store_.path),
                                   saved_ ? QString() : QStringLiteral(" (not saved)")));
    result_->setStorePath(store_.path);
    result_->showDimension(dimension_);
    stack_->setCurrentWidget(resultPane_);
    result_->tree().setFocus();  // keys browse the result at once
    fitScreen(QSize(qMax(width(), 640), qMax(height(), 480)));
}

void WizardWindow::fitScreen(QSize wanted) {
    const QRect free = screen()->availableGeometry();
    resize(wanted.boundedTo(
        QSize(free.width() - kFrameAllowanceWidth, free.height() - kFrameAllowanceHeight)));
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

bool WizardWindow::approveGeneration() {
    // The input has passed the page's checks; a calendar the dimension holds is replaced only
    // when the person agrees.
    if (holdsCalendar() &&
        !dialogs_.ask(
            QStringLiteral("The dimension \"%1\" of %2 already holds a calendar. "
                           "Replace it with a new one?")
                .arg(QString::fromStdString(dimension_->name()), fileName(store_.path)))) {
        return false;
    }
    generating_ = true;
    closeWhenGenerated_ = false;
    pulsing_->restartCount();
    statusShown_.invalidate();
    return true;
}

void WizardWindow::onMembersCreated(std::uint64_t created) {
    if (!generating_) {
        return;
    }
    if (!statusShown_.isValid() || statusShown_.elapsed() >= kStatusIntervalMs) {
        generationStatus_->setText(
            QStringLiteral("Generating the calendar: %1 members made...%2")
                .arg(QLocale().toString(static_cast<qulonglong>(created)),
                     closeWhenGenerated_ ? QStringLiteral(" The window closes once it is saved.")
                                         : QString()));
        statusShown_.restart();
    }
    // Paint, window-system and timer events only: input made meanwhile is dropped, whether it
    // is still queued when the generation ends or was posted to a widget.
    if (!generationBusy_) {
        generationBusy_.emplace();
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WizardWindow::closeEvent(QCloseEvent* event) {
    if (generating_) {
        // The title bar's close waits for the calendar; a failure of the generation closes the
        // window itself (not spontaneously), and then nothing is left to keep.
        if (event->spontaneous()) {
            event->ignore();
            closeWhenGenerated_ = true;
            return;
        }
        event->accept();
        return;
    }
    if (!saved_ && holdsCalendar() &&
        !dialogs_.ask(QStringLiteral("The calendar could not be saved to a cube store. Close the "
                                     "window and lose it?"))) {
        event->ignore();
        return;
    }
    event->accept();
}

void WizardWindow::onWizardResult(bool result) {
    generating_ = false;
    generationBusy_.reset();
    generationStatus_->clear();
    if (!result) {
        // Cancel: back to the calendar already there, or out when there is none.
        if (holdsCalendar()) {
            showResult();
        } else {
            close();
        }
        return;
    }
    if (!isVisible()) {
        // A failure on the way closed the window and its report shows: the calendar was cut
        // short, so it neither replaces what the store holds nor is shown.
        return;
    }
    const PageChoices choices = currentChoices(*page_, *rules_);
    if (!rememberChoices(choices)) {
        qWarning("annalex-wizard: the choices could not be remembered in the settings store");
    }
    saveWithRetries();
    if (saved_ && !rememberStoredCalendar(store_.path, choices, *dimension_)) {
        qWarning("annalex-wizard: the store's choices could not be remembered");
    }
    {
        ui::BusyScope busy;
        showResult();
    }
    emit resultShown();
    if (closeWhenGenerated_) {
        closeWhenGenerated_ = false;
        close();
    }
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
