#pragma once
// The services the calendar page asks of its surroundings: message boxes and the screen's
// mouse pointer. The Qt front end shows real ones; the command line prints the messages.

#include <string>

namespace annalex::control {

enum class MessageIcon { None, Information };
enum class MessageModality { System, Application };

struct MessageBoxRequest {
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    MessageModality modality = MessageModality::Application;
    bool foreground = false;  // brought to the foreground
    // Every box of the page has a single OK button.

    friend bool operator==(const MessageBoxRequest&, const MessageBoxRequest&) = default;
};

class MessageService {
  public:
    virtual ~MessageService() = default;
    // Shows the box and returns when the person has closed it.
    virtual void show(const MessageBoxRequest& request) = 0;
};

enum class MousePointer { Default, Hourglass };

class PointerService {
  public:
    virtual ~PointerService() = default;
    virtual void setPointer(MousePointer pointer) = 0;
};

// The check messages: title "Error", OK only, no icon, system-modal, brought to the foreground.
inline MessageBoxRequest errorMessage(std::string text) {
    return {"Error", std::move(text), MessageIcon::None, MessageModality::System, true};
}

// The generation notice: title "Info", the information icon, modal to the application.
inline MessageBoxRequest infoMessage(std::string text) {
    return {"Info", std::move(text), MessageIcon::Information, MessageModality::Application, false};
}

}  // namespace annalex::control
