#include "ui/qt_pointer_service.hpp"

#include <QApplication>
#include <QWidget>

namespace annalex::ui {

QtPointerService::~QtPointerService() {
    if (waiting_) {
        QApplication::restoreOverrideCursor();
    }
}

void QtPointerService::showNow() {
    // The hourglass comes just before work that keeps the event loop waiting (a generation
    // runs inside its click handler). Repaint the windows now, so that a message box closed
    // just before leaves no picture of itself behind, and let the window system have the
    // cursor; input stays queued.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            window->repaint();
        }
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtPointerService::setPointer(MousePointer pointer) {
    const bool wait = pointer == MousePointer::Hourglass;
    if (wait && !waiting_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        showNow();
    } else if (!wait && waiting_) {
        QApplication::restoreOverrideCursor();
    }
    waiting_ = wait;
    if (hook_) {
        hook_(pointer);
    }
}

}  // namespace annalex::ui
