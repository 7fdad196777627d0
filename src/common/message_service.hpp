#pragma once
// Message boxes, as every face of the product shows them: the calendar page and the error report
// form ask for one through this service; the Qt front end shows a real box, the command line
// prints a line.

#include <string>

namespace annalex {

enum class MessageIcon { None, Information };
enum class MessageModality { System, Application };

struct MessageBoxRequest {
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    MessageModality modality = MessageModality::Application;
    bool foreground = false;  // brought to the foreground
    // Every box has a single OK button.

    friend bool operator==(const MessageBoxRequest&, const MessageBoxRequest&) = default;
};

class MessageService {
  public:
    virtual ~MessageService() = default;
    // Shows the box and returns when the person has closed it.
    virtual void show(const MessageBoxRequest& request) = 0;
};

}  // namespace annalex
