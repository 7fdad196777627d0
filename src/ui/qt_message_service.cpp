#include "ui/qt_message_service.hpp"

#include <QMessageBox>
#include <QMetaObject>

namespace annalex::ui {

void QtMessageService::show(const MessageBoxRequest& request) {
    const QMessageBox::Icon icon =
        request.icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::NoIcon;
    QWidget* parent = owner_ ? owner_->window() : nullptr;
    QMessageBox box(icon, QString::fromStdString(request.title),
                    QString::fromStdString(request.text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    if (request.foreground) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    // Runs as the first event of the box's own loop, that is once the box is shown.
    QMetaObject::invokeMethod(
        &box,
        [this, &box, foreground = request.foreground] {
            if (foreground) {
                box.raise();
                box.activateWindow();
            }
            if (hook_) {
                hook_(box);
            }
        },
        Qt::QueuedConnection);
    box.exec();
    // The page's window takes the keyboard back, so that a box the handler focuses next
    // receives the keys at once.
    if (parent != nullptr) {
        parent->activateWindow();
    }
}

}  // namespace annalex::ui
