#pragma once
// The page's message boxes as QMessageBox: title, text, a single OK button, and the icon asked
// for. Qt has no system-wide modality, so every box is application-modal; a box that asks to be
// brought to the foreground also stays on top and is raised and activated once it shows.
// show() returns when the person has closed the box (QDialog::exec()).

#include <QPointer>
#include <QWidget>
#include <functional>

#include "common/message_service.hpp"

class QMessageBox;

namespace annalex::ui {

class QtMessageService final : public MessageService {
  public:
    // Called with each box once it is on screen, from inside its own event loop; whoever
    // installs it (a test, a scripted run) may read the box and close it.
    using ShownHook = std::function<void(QMessageBox& box)>;

    explicit QtMessageService(QWidget* owner = nullptr) : owner_(owner) {}

    // Boxes are centred on, and transient for, the window that holds owner.
    void setOwner(QWidget* owner) { owner_ = owner; }
    void setShownHook(ShownHook hook) { hook_ = std::move(hook); }

    void show(const MessageBoxRequest& request) override;

  private:
    QPointer<QWidget> owner_;
    ShownHook hook_;
};

}  // namespace annalex::ui
