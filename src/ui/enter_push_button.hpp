#pragma once
// A push button that Enter presses while it has the focus, as Space does, without being a
// dialog's default button (so Enter in a text box beside it presses nothing).

#include <QKeyEvent>
#include <QPushButton>

namespace annalex::ui {

class EnterPushButton final : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            !event->isAutoRepeat()) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

}  // namespace annalex::ui
