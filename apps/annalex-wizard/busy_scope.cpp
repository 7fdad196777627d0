#include "busy_scope.hpp"

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

namespace annalex::wizard {
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

void runWithProgress(QWidget* parent, const QString& label, const std::function<void()>& work) {
    // A box without buttons: the work cannot be interrupted half way.
    QDialog progress(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    progress.setObjectName(QStringLiteral("progress"));
    progress.setWindowTitle(parent != nullptr ? parent->window()->windowTitle()
                                              : QApplication::applicationDisplayName());
    progress.setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(&progress);
    layout->addWidget(new QLabel(label, &progress));
    auto* bar = new QProgressBar(&progress);
    bar->setRange(0, 0);  // busy: how long a save takes is not known beforehand
    bar->setMinimumWidth(320);
    layout->addWidget(bar);
    QTimer showLater;
    showLater.setSingleShot(true);
    QObject::connect(&showLater, &QTimer::timeout, &progress, &QWidget::show);
    showLater.start(kProgressDelayMs);

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

}  // namespace annalex::wizard
