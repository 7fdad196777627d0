#pragma once
// What the tests see of a message box: recorded from the real QMessageBox, which is then closed
// with its OK button as a person would.

#include <QAbstractButton>
#include <QMessageBox>
#include <QStringList>
#include <functional>
#include <vector>

#include "ui/qt_message_service.hpp"

namespace annalex::testing {

struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::WindowModality modality = Qt::NonModal;
    bool staysOnTop = false;
    qsizetype buttonCount = 0;
    bool okButton = false;
};

inline ShownBox record(const QMessageBox& box) {
    return {box.windowTitle(),
            box.text(),
            box.icon(),
            box.windowModality(),
            box.windowFlags().testFlag(Qt::WindowStaysOnTopHint),
            box.buttons().size(),
            box.button(QMessageBox::Ok) != nullptr};
}

inline void pressOk(QMessageBox& box) {
    box.button(QMessageBox::Ok)->click();
}

// Records every box the service shows and closes it; onShown, when set, runs first.
class MessageCatcher {
  public:
    void attach(ui::QtMessageService& service) {
        service.setShownHook([this](QMessageBox& box) {
            boxes.push_back(record(box));
            if (onShown) {
                onShown(box);
            }
            pressOk(box);
        });
    }
    QStringList texts() const {
        QStringList result;
        for (const ShownBox& box : boxes) {
            result << box.text;
        }
        return result;
    }
    std::vector<ShownBox> boxes;
    std::function<void(QMessageBox&)> onShown;
};

}  // namespace annalex::testing
