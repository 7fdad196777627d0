#include "ui/qt_pointer_service.hpp"

#include <QApplication>

namespace annalex::ui {

QtPointerService::~QtPointerService() {
    if (waiting_) {
        QApplication::restoreOverrideCursor();
    }
}

void QtPointerService::setPointer(control::MousePointer pointer) {
    const bool wait = pointer == control::MousePointer::Hourglass;
    if (wait && !waiting_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (!wait && waiting_) {
        QApplication::restoreOverrideCursor();
    }
    waiting_ = wait;
    if (hook_) {
        hook_(pointer);
    }
}

}  // namespace annalex::ui
