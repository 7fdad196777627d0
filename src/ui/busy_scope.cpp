#include "ui/busy_scope.hpp"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <thread>

namespace annalex::ui {
namespace {

bool isInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

// The progress box shows only for work that lasts longer than this.
constexpr int kProgressDelayMs = 300;
// How often a progress bar with a percentage is brought up to date.
constexpr int kPollMs = 100;

}  // namespace

BusyScope::BusyScope() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

BusyScope::~BusyScope() {
    // Input queued while the event loop was blocked arrives now, and is swallowed as well.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

bool BusyScope::eventFilter(QObject* watched, QEvent* event) {
    if (isInput(event->type())) {
        ++swallowed_;
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void runWithProgress(QWidget* parent, const QString& label, const std::function<void()>& work,
                     const std::function<int()>& percentDone) {
    // A box without buttons: the work cannot be interrupted half way.
    QDialog progress(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    progress.setObjectName(QStringLiteral("progress"));
    progress.setWindowTitle(parent != nullptr ? parent->window()->windowTitle()
                                              : QApplication::applicationDisplayName());
    progress.setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(&progress);
    layout->addWidget(new QLabel(label, &progress));
    auto* bar = new QProgressBar(&progress);
    // Without percentDone a busy bar: how long the work takes is not known beforehand.
    bar->setRange(0, percentDone ? 100 : 0);
    bar->setMinimumWidth(320);
    layout->addWidget(bar);
    QTimer showLater;
    showLater.setSingleShot(true);
    QObject::connect(&showLater, &QTimer::timeout, &progress, &QWidget::show);
    showLater.start(kProgressDelayMs);
    QTimer poll;
    if (percentDone) {
        QObject::connect(&poll, &QTimer::timeout, bar,
                         [bar, &percentDone] { bar->setValue(percentDone()); });
        poll.start(kPollMs);
    }

    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&loop, &work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace annalex::ui
